// GDI+ for the tests of the Win32 build: the saver starts it with its
// window, a test that draws without a window starts it here for the whole
// run. Linked into every Win32 test (a registration in an archive would be
// dropped by the linker).
#include <windows.h>
// The other system headers need windows.h first.
#include <gdiplus.h>
#include <gtest/gtest.h>

namespace {
class GdiplusSession : public ::testing::Environment {
  public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

  private:
    ULONG_PTR token_ = 0;
};

const auto* const g_session = ::testing::AddGlobalTestEnvironment(new GdiplusSession);
}  // namespace
