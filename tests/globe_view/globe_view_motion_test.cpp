#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include "globe/view/globe_view.h"

namespace zimbalo::globe {
namespace {

struct MotionFixture : ::testing::Test {
    GlobeView view;

    void SetUp() override {
        view.resize(300, 200);
        view.show();
        view.Projector().SetScaleFactor(1e-6);
    }

    void turn() { view.Projector().SetYRotation(view.Projector().YRotation() + 1.0); }

    /// Runs the event loop until a new picture was asked for (or already rendered by a paint)
    /// or ms have passed.
    bool waitForRedraw(int renders, int ms) {
        QElapsedTimer t;
        t.start();
        auto asked = [&]() { return view.Globe().IsStale() || view.RenderCount() > renders; };
        while (!asked() && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return asked();
    }
};

TEST_F(MotionFixture, OwnerFlagGivesQuickPicturesAndTheFilteredOneAfterwards) {
    view.SetStillRedrawDelay(0);
    view.grab();
    EXPECT_FALSE(view.PictureInMotion());
    EXPECT_EQ(view.Globe().TextureFilter(), GeoTextureFilter::Bilinear);
    EXPECT_TRUE(view.Globe().SmoothLines());

    view.SetInMotion(true);
    turn();
    view.grab();
    EXPECT_TRUE(view.PictureInMotion());
    EXPECT_EQ(view.Globe().TextureFilter(), GeoTextureFilter::NearestLevel);
    EXPECT_FALSE(view.Globe().SmoothLines());
    const int renders = view.RenderCount();

    // The motion ends: the same view is rendered once more, filtered.
    view.SetInMotion(false);
    EXPECT_TRUE(view.Globe().IsStale());
    view.grab();
    EXPECT_EQ(view.RenderCount(), renders + 1);
    EXPECT_FALSE(view.PictureInMotion());
    EXPECT_EQ(view.Globe().TextureFilter(), GeoTextureFilter::Bilinear);
    EXPECT_TRUE(view.Globe().SmoothLines());
    view.grab();
    EXPECT_EQ(view.RenderCount(), renders + 1);  // nothing more owed
}

TEST_F(MotionFixture, QuickSuccessionIsMotionAndATimerFiltersTheLastPicture) {
    view.SetStillRedrawDelay(1500);
    view.grab();
    EXPECT_FALSE(view.PictureInMotion());  // the first picture after a rest is a still one
    turn();
    view.grab();
    EXPECT_TRUE(view.PictureInMotion());
    EXPECT_EQ(view.Globe().TextureFilter(), GeoTextureFilter::NearestLevel);
    const int renders = view.RenderCount();
    // No new picture for the delay: the timer asks for the filtered one.
    ASSERT_TRUE(waitForRedraw(renders, 10000));
    view.grab();
    EXPECT_EQ(view.RenderCount(), renders + 1);
    EXPECT_FALSE(view.PictureInMotion());
    EXPECT_EQ(view.Globe().TextureFilter(), GeoTextureFilter::Bilinear);
    // A still picture starts no timer: nothing more is asked for.
    EXPECT_FALSE(waitForRedraw(renders + 1, 1700));
}

TEST_F(MotionFixture, DelayZeroFiltersEveryPicture) {
    view.SetStillRedrawDelay(0);
    for (int i = 0; i < 3; ++i) {
        turn();
        view.grab();
        EXPECT_FALSE(view.PictureInMotion());
    }
    EXPECT_EQ(view.Globe().TextureFilter(), GeoTextureFilter::Bilinear);
}

}  // namespace
}  // namespace zimbalo::globe
