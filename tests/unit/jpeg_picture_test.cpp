#include "ui/jpeg_picture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string background_bytes() {
  std::ifstream file(BACKGROUND_JPEG, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(JpegPicture, BackgroundIsAFlatGreen650By450) {
  const auto picture = decode_jpeg(background_bytes());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 650);
  EXPECT_EQ(picture->height, 450);
  ASSERT_EQ(picture->bgrx.size(), 650u * 450u * 4u);
  const std::uint8_t* corner = &picture->bgrx[(449u * 650u + 640u) * 4u];  // blue, green, red
  EXPECT_NEAR(corner[0], 104, 6);
  EXPECT_NEAR(corner[1], 150, 6);
  EXPECT_NEAR(corner[2], 104, 6);
}

TEST(JpegPicture, BytesThatAreNoPictureFailQuietly) {
  for (const std::string& bytes : {std::string(), std::string("not a jpeg"), background_bytes().substr(0, 40)}) {
    EXPECT_FALSE(decode_jpeg(bytes));
  }
}

}  // namespace
