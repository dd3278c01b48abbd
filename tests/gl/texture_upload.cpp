// Turning the images in memory into OpenGL textures: what each texture holds, zero-size textures
// for slots without pixels, row alignment, and new textures for every new context.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "app/display_window.h"
#include "app/program_state.h"
#include "platform/platform_seams.h"
#include "scene/texture_images.h"

namespace {

TextureImage table[kTextureImageSlots];
std::vector<unsigned char> blocks[kTextureCount];

// An image of its own in slot k, with a different colour at every texel.
void PutImage(int slot, int width, int height) {
    blocks[slot].resize((size_t)width * height * 3);
    for (size_t i = 0; i < blocks[slot].size(); ++i) blocks[slot][i] = (unsigned char)(i * 7 + slot * 40 + 1);
    table[slot] = TextureImage{blocks[slot].data(), width, height, 3};
}

struct TexelImage {
    int width = -1, height = -1;
    std::vector<unsigned char> rgb;
};

TexelImage ReadTexture(GLuint name) {
    TexelImage image;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
    image.rgb.resize((size_t)image.width * image.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!image.rgb.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return image;
}

class TextureUpload : public ::testing::Test {
protected:
    void SetUp() override {
        SeamReset();
        SeamSetScreenSize(1600, 1200);
        for (TextureImage& image : table) image = TextureImage{nullptr, 0, 0, 0};
        textureImages = table;
    }
    void TearDown() override {
        CloseDisplayWindow();
        SeamReset();
    }
};

TEST_F(TextureUpload, EveryContextGetsTexturesHoldingTheImagesInMemory) {
    PutImage(0, 64, 64);
    PutImage(1, 64, 32);
    PutImage(2, 5, 3);  // rows of 15 bytes: off the default 4-byte unpack alignment
    PutImage(3, 1, 7);
    PutImage(4, 33, 2);

    for (int open = 0; open < 2; ++open) {  // start-up, then a zoom change
        SCOPED_TRACE(open ? "reopened" : "first window");
        ASSERT_TRUE(OpenDisplayWindow("DUD", 320, 240, 16, false));
        for (int k = 0; k < kTextureCount; ++k) {
            SCOPED_TRACE(k);
            ASSERT_TRUE(glIsTexture(textureIds[k]));
            TexelImage texture = ReadTexture(textureIds[k]);
            EXPECT_EQ(texture.width, table[k].width);
            EXPECT_EQ(texture.height, table[k].height);
            EXPECT_EQ(texture.rgb, blocks[k]);
            GLint filter = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
            EXPECT_EQ(filter, GL_NEAREST);
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
            EXPECT_EQ(filter, GL_NEAREST);
        }
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 4) << "the unpack alignment is left changed";
        CloseDisplayWindow();
    }
}

TEST_F(TextureUpload, CreateTexturesMakesFiveNewNamesAndLeavesTheLastBound) {
    PutImage(0, 4, 4);
    ASSERT_TRUE(OpenDisplayWindow("DUD", 320, 240, 16, false));
    GLuint first[kTextureCount];
    for (int k = 0; k < kTextureCount; ++k) first[k] = textureIds[k];
    EXPECT_EQ(CreateTextures(), 1);
    for (int k = 0; k < kTextureCount; ++k) {
        EXPECT_TRUE(glIsTexture(textureIds[k]));
        for (int j = 0; j < kTextureCount; ++j) EXPECT_NE(textureIds[k], first[j]);
    }
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, textureIds[4]);
    EXPECT_EQ(ReadTexture(textureIds[0]).rgb, blocks[0]);
}

// A slot that never loaded, and one whose pixels never arrived (dimensions without a block), both
// become zero-size textures; the upload reads nothing.
TEST_F(TextureUpload, SlotsWithoutPixelsBecomeZeroSizeTextures) {
    PutImage(0, 8, 8);
    table[3] = TextureImage{nullptr, 4096, 4096, 3};
    ASSERT_TRUE(OpenDisplayWindow("DUD", 320, 240, 16, false));
    EXPECT_EQ(ReadTexture(textureIds[0]).width, 8);
    for (int k : {1, 2, 3, 4}) {
        SCOPED_TRACE(k);
        TexelImage texture = ReadTexture(textureIds[k]);
        EXPECT_EQ(texture.width, 0);
        EXPECT_EQ(texture.height, 0);
    }
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

// Before the start-up step has made the table, a context still gets five (empty) textures.
TEST_F(TextureUpload, NoTableMeansFiveEmptyTextures) {
    textureImages = nullptr;
    ASSERT_TRUE(OpenDisplayWindow("DUD", 320, 240, 16, false));
    for (int k = 0; k < kTextureCount; ++k) {
        EXPECT_TRUE(glIsTexture(textureIds[k]));
        EXPECT_EQ(ReadTexture(textureIds[k]).width, 0);
    }
}

// The committed files, loaded as the start-up does, reach the textures unchanged.
TEST_F(TextureUpload, TheTextureFilesReachTheirTextures) {
    ASSERT_EQ(chdir(DUD_SOURCE_DIR), 0);
    for (int k = 0; k < kTextureCount; ++k) ASSERT_TRUE(LoadBitmapImage(textureFilePaths[k], k));
    ASSERT_TRUE(OpenDisplayWindow("DUD", 320, 240, 16, false));
    for (int k = 0; k < kTextureCount; ++k) {
        SCOPED_TRACE(textureFilePaths[k]);
        TexelImage texture = ReadTexture(textureIds[k]);
        EXPECT_EQ(texture.width, 128);
        ASSERT_EQ(texture.rgb.size(), (size_t)128 * 128 * 3);
        EXPECT_TRUE(std::equal(texture.rgb.begin(), texture.rgb.end(), table[k].pixels));
    }
}

}  // namespace
