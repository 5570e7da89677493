// One GDI+ session for the whole suite, as the engine keeps one per process.
#include <gtest/gtest.h>

#include "graphics/UIGraphicsEngine.h"

namespace {

class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(m_engine.Startup(1), 1); }
    void TearDown() override { m_engine.Shutdown(); }

private:
    CDUI_UIGraphicsEngine m_engine;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

}  // namespace
