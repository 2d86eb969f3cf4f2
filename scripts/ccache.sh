# Sourced by the build scripts: `launcher` holds the CMake options that put ccache in front of the
# compilers when it is installed (scripts/install-deps installs it), and nothing otherwise, so that
# the repeated builds of the test script cost minutes, not the whole build, after a small change.
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
