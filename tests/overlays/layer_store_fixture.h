#pragma once

#include <utility>

#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "astro/catalogue.h"
#include "astro/shadow_geometry.h"
#include "globe/geo_globe.h"
#include "globe/geo_layer.h"
#include "globe/geo_spatial_database.h"

namespace zimbalo::overlays {

/// A globe whose layers are kept in a temporary layer store, as in the main window; the store's
/// file (named `storeFile`) lives in a fresh temporary folder.
class LayerStoreTest : public ::testing::Test {
protected:
    explicit LayerStoreTest(QString storeFile) : m_storeFile(std::move(storeFile)) {}

    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_database.SetDataSourceName(m_dir.filePath(m_storeFile));
        m_database.SetActive(true);
        m_layers.SetSpatialDatabase(&m_database);
    }

    void TearDown() override { m_layers.SetSpatialDatabase(nullptr); }

    /// The store's layer of that name; null when there is none.
    globe::GeoLayer* LayerNamed(const QString& name) {
        return m_layers.GlobeLayer().LayerStore().LayerByName(name);
    }

    /// Pixels of a colour in a 300 x 300 picture looking along the event's shadow axis at the
    /// middle of the event, without graticule.
    int PixelsAlongTheAxis(const astro::BesselRecord& event, QRgb colour) {
        const auto contacts = astro::AxisContactTimes(event);
        const astro::GeoDegrees sub = astro::SubPlanetaryPoint(
            astro::EvaluateElements(event, (contacts->first + contacts->last) / 2), 0.0);
        m_globe.Projector().SetScaleFactor(6e-7);
        m_globe.Projector().SetXRotation(sub.latitude);
        m_globe.Projector().SetYRotation(sub.longitude);
        m_globe.Projector().SetXOrigin(150);
        m_globe.Projector().SetYOrigin(150);
        m_globe.Graticule().SetLatitudeStep(0);
        m_globe.Graticule().SetLongitudeStep(0);
        m_globe.Render();
        const QImage& picture = m_globe.Picture();
        int n = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                n += (picture.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu) ? 1 : 0;
            }
        }
        return n;
    }

    QString m_storeFile;
    QTemporaryDir m_dir;
    globe::GeoSpatialDatabase m_database;
    globe::GeoGlobe m_globe{300, 300};
    globe::GeoLayers& m_layers = globe::InstallLayers(m_globe);
};

}  // namespace zimbalo::overlays
