#include "graphics/D3DTester.h"

#include <gtest/gtest.h>

namespace {

using Pyxo::D3DTestImage;

TEST(D3DTester, WithoutA3DDeviceTheTestFails)
{
    Pyxo::D3DTester tester;
    tester.SetVideoMemoryLimits(6, 14);
    tester.Test(Platform::WindowHandle{}, nullptr);
    EXPECT_EQ(tester.mFailureReason, "3-D unavailable");
    EXPECT_TRUE(tester.mWarning.empty());
}

TEST(D3DTester, ReadBackImageJudgesUniformityAndStripes)
{
    D3DTestImage image;
    image.Create(12, 12);
    image.FillRect(0, 0, 12, 12, 0xFF780078); // 0x7F007F as a 5-6-5 surface reads it back
    int far = -1;
    EXPECT_TRUE(image.CheckUniform(0x7F007F, far, 10, 10));
    EXPECT_EQ(far, 0);
    EXPECT_EQ(D3DTestImage::ColorDistance(0xFF780078, 0x007F007F), 98);
    image.FillRect(3, 4, 1, 1, 0xFF00FF00);
    EXPECT_FALSE(image.CheckUniform(0x7F007F, far, 10, 10));
    EXPECT_EQ(far, 1);
    EXPECT_TRUE(image.CheckUniform(0x7F007F, far, 3, 3)) << "only the top-left area counts";

    image.FillStripes();
    EXPECT_EQ(image.CountStripeErrors(10, 10, 0, 0), 0);
    EXPECT_EQ(image.CountStripeErrors(10, 10, 1, 0), 100) << "shifted by a column, every pixel is wrong";
}

} // namespace
