#include "art/app_icon.h"

#include <gtest/gtest.h>

namespace {

struct Mean {
    float r = 0, g = 0, b = 0, a = 0;
};

// The mean premultiplied colour over the whole picture.
Mean MeanColour(const Image& image) {
    Mean m;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const Pixel& p = image.at(x, y);
            m.r += p.r;
            m.g += p.g;
            m.b += p.b;
            m.a += p.a;
        }
    float n = static_cast<float>(image.width() * image.height());
    return {m.r / n, m.g / n, m.b / n, m.a / n};
}

}  // namespace

// Every size an icon theme asks for is square, with clear corners (the
// rounded tile), an opaque middle (Tobbin), and on average the same colours
// as the largest icon: small icons are reduced from a larger drawing, and a
// reduction that loses or adds light or opacity shows in the mean.
TEST(AppIcon, EverySizeIsTheSamePictureOnARoundedTile) {
    Mean reference = MeanColour(MakeAppIcon(256));
    for (int size : AppIconSizes()) {
        SCOPED_TRACE(size);
        Image icon = MakeAppIcon(size);
        ASSERT_EQ(icon.width(), size);
        ASSERT_EQ(icon.height(), size);
        for (auto [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}})
            EXPECT_EQ(icon.at(x, y).a, 0.0f) << x << "," << y;
        EXPECT_GT(icon.at(size / 2, size / 2).a, 0.99f);
        Mean mean = MeanColour(icon);
        EXPECT_NEAR(mean.a, reference.a, 0.03f);
        EXPECT_NEAR(mean.r, reference.r, 0.04f);
        EXPECT_NEAR(mean.g, reference.g, 0.04f);
        EXPECT_NEAR(mean.b, reference.b, 0.04f);
    }
}
