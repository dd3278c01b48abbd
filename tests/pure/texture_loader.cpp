// The BMP loader: files written by ImageMagick, our own well-formed and malformed files, and what a
// failed load leaves in the slot.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "platform/platform_seams.h"
#include "scene/texture_images.h"

// ---- live pixel blocks ---------------------------------------------------------------------------
// The loader takes its blocks from the nothrow array new; counting them shows leaks and double
// blocks. Only blocks made by that form are tracked; every array form goes to malloc and free so
// that they stay a matching pair.
namespace {
void* trackedBlocks[64];
int liveBlocks = 0;
}  // namespace

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    void* block = malloc(size ? size : 1);
    for (void*& slot : trackedBlocks) {
        if (!slot) {
            slot = block;
            ++liveBlocks;
            break;
        }
    }
    return block;
}

void* operator new[](size_t size) {
    void* block = malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

void operator delete[](void* block) noexcept {
    if (!block) return;
    for (void*& slot : trackedBlocks) {
        if (slot == block) {
            slot = nullptr;
            --liveBlocks;
            break;
        }
    }
    free(block);
}

void operator delete[](void* block, size_t) noexcept { operator delete[](block); }

namespace {

// ---- fixtures ---------------------------------------------------------------------------------------

// A picture with a different colour at every pixel; (x, y) with y counted from the bottom.
struct Rgb {
    unsigned char r, g, b;
};
Rgb PatternPixel(int x, int y) { return {(unsigned char)(x * 37 + 11), (unsigned char)(y * 53 + 7), (unsigned char)(x * 5 + y * 17 + 3)}; }

// The pattern as R, G, B rows bottom-up, back to back: what a loaded slot must hold.
std::vector<unsigned char> PatternBlock(int width, int height) {
    std::vector<unsigned char> block;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgb p = PatternPixel(x, y);
            block.insert(block.end(), {p.r, p.g, p.b});
        }
    }
    return block;
}

void Put32(std::vector<unsigned char>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = (unsigned char)(v >> (8 * i));
}

struct BmpFixture {
    int width = 4;
    int height = 4;
    bool topDown = false;      // store rows top-down, with the height negated in the header
    uint32_t dataOffset = 54;  // bytes between the header and the pixels are filled with 0xEE
    int bitsPerPixel = 24;
    uint32_t compression = 0;
    bool padLastRow = true;
    int trailingBytes = 0;
    long truncateTo = -1;  // cut the file to this many bytes
    const char* signature = "BM";
};

std::vector<unsigned char> MakeBmp(const BmpFixture& fixture) {
    const int rowBytes = fixture.width * 3, stride = (rowBytes + 3) & ~3;
    std::vector<unsigned char> out(fixture.dataOffset > 54 ? fixture.dataOffset : 54, 0xEE);
    out[0] = fixture.signature[0];
    out[1] = fixture.signature[1];
    Put32(out, 10, fixture.dataOffset);
    Put32(out, 14, 40);
    Put32(out, 18, (uint32_t)fixture.width);
    Put32(out, 22, (uint32_t)(fixture.topDown ? -fixture.height : fixture.height));
    out[26] = 1;
    out[27] = 0;
    out[28] = (unsigned char)fixture.bitsPerPixel;
    out[29] = 0;
    Put32(out, 30, fixture.compression);
    for (int i = 34; i < 54; ++i) out[i] = 0;
    out.resize(fixture.dataOffset > 54 ? fixture.dataOffset : 54);
    for (int fileRow = 0; fileRow < fixture.height; ++fileRow) {
        int y = fixture.topDown ? fixture.height - 1 - fileRow : fileRow;
        for (int x = 0; x < fixture.width; ++x) {
            Rgb p = PatternPixel(x, y);
            out.insert(out.end(), {p.b, p.g, p.r});
        }
        if (fixture.padLastRow || fileRow + 1 < fixture.height) out.insert(out.end(), stride - rowBytes, 0xAB);
    }
    out.insert(out.end(), fixture.trailingBytes, 0xCD);
    Put32(out, 2, (uint32_t)out.size());
    if (fixture.truncateTo >= 0) out.resize(fixture.truncateTo);
    return out;
}

class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/dud_texture_XXXXXX";
        path_ = mkdtemp(name) ? name : "";
    }
    ~TempFolder() {
        if (!path_.empty()) system(("rm -rf '" + path_ + "'").c_str());
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) const {
        std::ofstream(File(name), std::ios::binary).write((const char*)bytes.data(), (std::streamsize)bytes.size());
        return File(name);
    }

private:
    std::string path_;
};

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::vector<unsigned char> SlotBytes(int slot) {
    const TextureImage& image = textureImages[slot];
    if (!image.pixels) return {};
    return std::vector<unsigned char>(image.pixels, image.pixels + (size_t)image.width * image.height * 3);
}

class TextureLoader : public ::testing::Test {
protected:
    void SetUp() override {
        SeamReset();
        static TextureImage table[kTextureImageSlots];
        for (int i = 0; i < kTextureImageSlots; ++i) {
            delete[] table[i].pixels;
            table[i] = TextureImage{nullptr, 0, 0, 0};
        }
        textureImages = table;
    }
    TempFolder folder;
};

// ---- our own files --------------------------------------------------------------------------------

enum class Outcome {
    Loads,        // true; the slot holds the pattern
    Rejected,     // false; the slot exactly as it was
    PixelsLost,   // false; the slot carries the new dimensions with no block
};

struct Case {
    const char* name;
    BmpFixture fixture;
    Outcome outcome;
};

BmpFixture With(void (*change)(BmpFixture&)) {
    BmpFixture fixture;
    change(fixture);
    return fixture;
}

const Case kCases[] = {
    {"plain 64x64", With([](BmpFixture& s) { s.width = 64; s.height = 64; }), Outcome::Loads},
    {"64x32", With([](BmpFixture& s) { s.width = 64; s.height = 32; }), Outcome::Loads},
    {"odd width 5 (1 pad byte a row)", With([](BmpFixture& s) { s.width = 5; s.height = 3; }), Outcome::Loads},
    {"width 1 (1 pad byte a row)", With([](BmpFixture& s) { s.width = 1; s.height = 4; }), Outcome::Loads},
    {"width 2 (2 pad bytes a row)", With([](BmpFixture& s) { s.width = 2; s.height = 3; }), Outcome::Loads},
    {"width 7 (3 pad bytes a row)", With([](BmpFixture& s) { s.width = 7; s.height = 2; }), Outcome::Loads},
    {"pixel data at offset 138", With([](BmpFixture& s) { s.width = 7; s.height = 3; s.dataOffset = 138; }), Outcome::Loads},
    {"top-down rows", With([](BmpFixture& s) { s.width = 5; s.height = 4; s.topDown = true; }), Outcome::Loads},
    {"bytes after the pixels", With([](BmpFixture& s) { s.trailingBytes = 100; }), Outcome::Loads},
    {"last row's padding missing", With([](BmpFixture& s) { s.width = 3; s.height = 2; s.padLastRow = false; }), Outcome::Loads},
    {"width 0", With([](BmpFixture& s) { s.width = 0; s.height = 5; }), Outcome::Loads},
    {"height 0", With([](BmpFixture& s) { s.width = 5; s.height = 0; }), Outcome::Loads},
    {"empty file", With([](BmpFixture& s) { s.truncateTo = 0; }), Outcome::Rejected},
    {"header of 53 bytes", With([](BmpFixture& s) { s.truncateTo = 53; }), Outcome::Rejected},
    {"signature MB", With([](BmpFixture& s) { s.signature = "MB"; }), Outcome::Rejected},
    {"signature BA", With([](BmpFixture& s) { s.signature = "BA"; }), Outcome::Rejected},
    {"8 bits a pixel", With([](BmpFixture& s) { s.bitsPerPixel = 8; }), Outcome::Rejected},
    {"16 bits a pixel", With([](BmpFixture& s) { s.bitsPerPixel = 16; }), Outcome::Rejected},
    {"32 bits a pixel", With([](BmpFixture& s) { s.bitsPerPixel = 32; }), Outcome::Rejected},
    {"RLE8 compression", With([](BmpFixture& s) { s.compression = 1; }), Outcome::Rejected},
    {"bit-field compression", With([](BmpFixture& s) { s.compression = 3; }), Outcome::Rejected},
    {"pixel offset 0", With([](BmpFixture& s) { s.dataOffset = 0; }), Outcome::Rejected},
    {"pixel offset 53", With([](BmpFixture& s) { s.dataOffset = 53; }), Outcome::Rejected},
    {"negative width", With([](BmpFixture& s) { s.width = -4; s.height = 0; }), Outcome::Rejected},
    {"pixel data one byte short", With([](BmpFixture& s) { s.width = 5; s.height = 3; s.padLastRow = false; s.truncateTo = 54 + 16 * 2 + 14; }), Outcome::PixelsLost},
    {"pixel data missing", With([](BmpFixture& s) { s.width = 8; s.height = 8; s.truncateTo = 54; }), Outcome::PixelsLost},
    {"pixel offset past the end", With([](BmpFixture& s) { s.dataOffset = 4000; s.truncateTo = 200; }), Outcome::PixelsLost},
};

TEST_F(TextureLoader, OwnFilesLoadExactlyOrFailWithTheSlotSafe) {
    // A slot that already holds an image shows both what a rejection keeps and what a reload frees.
    const std::string previous = folder.Write("previous.bmp", MakeBmp(With([](BmpFixture& s) { s.width = 2; s.height = 2; })));
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(LoadBitmapImage(previous.c_str(), 7));
        const TextureImage before = textureImages[7];
        const std::vector<unsigned char> beforeBytes = SlotBytes(7);

        const std::string path = folder.Write("case.bmp", MakeBmp(c.fixture));
        const bool loaded = LoadBitmapImage(path.c_str(), 7);
        const TextureImage& after = textureImages[7];

        EXPECT_EQ(SeamOpenFiles(), 0) << "the file stays open";
        switch (c.outcome) {
            case Outcome::Loads:
                EXPECT_TRUE(loaded);
                EXPECT_EQ(after.width, c.fixture.width);
                EXPECT_EQ(after.height, c.fixture.height);
                EXPECT_EQ(after.channels, 3);
                EXPECT_EQ(SlotBytes(7), PatternBlock(c.fixture.width, c.fixture.height));
                EXPECT_EQ(liveBlocks, after.pixels ? 1 : 0);
                break;
            case Outcome::Rejected:
                EXPECT_FALSE(loaded);
                EXPECT_EQ(after.pixels, before.pixels);
                EXPECT_EQ(after.width, before.width);
                EXPECT_EQ(after.height, before.height);
                EXPECT_EQ(after.channels, before.channels);
                EXPECT_EQ(SlotBytes(7), beforeBytes);
                EXPECT_EQ(liveBlocks, 1);
                break;
            case Outcome::PixelsLost:
                EXPECT_FALSE(loaded);
                EXPECT_EQ(after.pixels, nullptr) << "the released block stays in the slot";
                EXPECT_EQ(after.width, c.fixture.width);
                EXPECT_EQ(after.height, c.fixture.height);
                EXPECT_EQ(after.channels, 3);
                EXPECT_EQ(liveBlocks, 0);
                break;
        }
    }
}

// Sizes that no real picture has: rejected from the header alone, before anything is allocated.
TEST_F(TextureLoader, DamagedSizesAreRejectedBeforeAnyAllocation) {
    struct Size {
        uint32_t width, height;
    };
    const Size sizes[] = {
        {0xFFFFFFFFu, 1},          // width -1
        {0x80000000u, 1},          // width INT_MIN
        {1, 0x80000000u},          // height INT_MIN: cannot be negated
        {16385, 1},                // one side too long
        {1, 16385},
        {16384, 4097},             // 64 Mi pixels and a row more
        {0x7FFFFFFFu, 0x7FFFFFFFu},
        {0x55555556u, 3},          // width * height * 3 wraps to a small 32-bit number
        {65536, 65536},            // width * height wraps to 0
    };
    for (const Size& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        std::vector<unsigned char> bytes = MakeBmp(BmpFixture{});
        Put32(bytes, 18, size.width);
        Put32(bytes, 22, size.height);
        const std::string path = folder.Write("huge.bmp", bytes);
        EXPECT_FALSE(LoadBitmapImage(path.c_str(), 3));
        EXPECT_EQ(textureImages[3].pixels, nullptr);
        EXPECT_EQ(textureImages[3].width, 0);
        EXPECT_EQ(textureImages[3].height, 0);
        EXPECT_EQ(textureImages[3].channels, 0);
        EXPECT_EQ(liveBlocks, 0);
        EXPECT_EQ(SeamOpenFiles(), 0);
    }
    // The bound itself is allowed: 16384 x 1 is a real, if odd, picture.
    BmpFixture wide;
    wide.width = 16384;
    wide.height = 1;
    const std::string path = folder.Write("wide.bmp", MakeBmp(wide));
    EXPECT_TRUE(LoadBitmapImage(path.c_str(), 3));
    EXPECT_EQ(SlotBytes(3), PatternBlock(16384, 1));
}

TEST_F(TextureLoader, FirstPixelIsSwappedFromTheFilesOrder) {
    BmpFixture fixture;
    fixture.width = 64;
    fixture.height = 64;
    const std::vector<unsigned char> bytes = MakeBmp(fixture);
    ASSERT_TRUE(LoadBitmapImage(folder.Write("a.bmp", bytes).c_str(), 0));
    const TextureImage& image = textureImages[0];
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.pixels[0], bytes[54 + 2]);
    EXPECT_EQ(image.pixels[1], bytes[54 + 1]);
    EXPECT_EQ(image.pixels[2], bytes[54 + 0]);
}

TEST_F(TextureLoader, ReloadingASlotKeepsOneBlock) {
    BmpFixture big;
    big.width = 16;
    big.height = 16;
    BmpFixture small;
    small.width = 3;
    small.height = 5;
    const std::string first = folder.Write("first.bmp", MakeBmp(big));
    const std::string second = folder.Write("second.bmp", MakeBmp(small));
    ASSERT_TRUE(LoadBitmapImage(first.c_str(), 2));
    ASSERT_TRUE(LoadBitmapImage(first.c_str(), 2));
    EXPECT_EQ(liveBlocks, 1);
    ASSERT_TRUE(LoadBitmapImage(second.c_str(), 2));
    EXPECT_EQ(liveBlocks, 1);
    EXPECT_EQ(SlotBytes(2), PatternBlock(3, 5));
    ASSERT_TRUE(LoadBitmapImage(first.c_str(), 4));
    EXPECT_EQ(liveBlocks, 2);
    EXPECT_EQ(SlotBytes(2), PatternBlock(3, 5)) << "another slot's load touched slot 2";
}

// The loader only reads: missing files stay missing, read-only files and files that another
// reader holds open load, and the file's bytes never change.
TEST_F(TextureLoader, OnlyEverReadsExistingFiles) {
    const std::string missing = folder.File("missing.bmp");
    EXPECT_FALSE(LoadBitmapImage(missing.c_str(), 0));
    EXPECT_FALSE(Exists(missing));
    EXPECT_FALSE(LoadBitmapImage(folder.File("no_folder/x.bmp").c_str(), 0));
    EXPECT_FALSE(Exists(folder.File("no_folder")));
    EXPECT_EQ(textureImages[0].channels, 0);

    BmpFixture fixture;
    fixture.width = 6;
    fixture.height = 2;
    const std::vector<unsigned char> bytes = MakeBmp(fixture);
    const std::string readOnly = folder.Write("readonly.bmp", bytes);
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    EXPECT_TRUE(LoadBitmapImage(readOnly.c_str(), 1));
    EXPECT_EQ(SlotBytes(1), PatternBlock(6, 2));

    HANDLE reader = CreateFileA(readOnly.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(LoadBitmapImage(readOnly.c_str(), 2)) << "a second reader is refused";
    CloseHandle(reader);

    std::ifstream in(readOnly, std::ios::binary);
    std::vector<unsigned char> now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(now, bytes);
}

TEST_F(TextureLoader, FailedOpenAndReadCallsLeaveTheSlotSafe) {
    BmpFixture fixture;
    fixture.width = 5;
    fixture.height = 5;
    const std::string path = folder.Write("a.bmp", MakeBmp(fixture));

    SeamFailCall(PlatformCall::CreateFile);
    EXPECT_FALSE(LoadBitmapImage(path.c_str(), 0));
    EXPECT_EQ(textureImages[0].channels, 0);

    SeamFailCall(PlatformCall::ReadFile, 0);  // the header
    EXPECT_FALSE(LoadBitmapImage(path.c_str(), 0));
    EXPECT_EQ(textureImages[0].channels, 0);

    SeamFailCall(PlatformCall::ReadFile, 3);  // a row of pixels
    EXPECT_FALSE(LoadBitmapImage(path.c_str(), 0));
    EXPECT_EQ(textureImages[0].pixels, nullptr);
    EXPECT_EQ(textureImages[0].width, 5);
    EXPECT_EQ(liveBlocks, 0);
    EXPECT_EQ(SeamOpenFiles(), 0);

    EXPECT_TRUE(LoadBitmapImage(path.c_str(), 0));
    EXPECT_EQ(SlotBytes(0), PatternBlock(5, 5));
}

// ---- files written by ImageMagick ------------------------------------------------------------------

bool HaveConvert() { return system("convert -version >/dev/null 2>&1") == 0; }

TEST_F(TextureLoader, ReadsImageMagicksFiles) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    struct Made {
        int width, height;
        const char* format;  // BMP3: the 40-byte header; BMP: ImageMagick's default, a larger one
        uint32_t expectedOffset;
    };
    const Made made[] = {
        {5, 3, "BMP3", 54}, {1, 1, "BMP3", 54}, {2, 7, "BMP3", 54}, {7, 4, "BMP3", 54},
        {8, 8, "BMP3", 54}, {33, 17, "BMP3", 54}, {5, 3, "BMP", 138}, {6, 5, "BMP", 138},
    };
    for (const Made& m : made) {
        SCOPED_TRACE(testing::Message() << m.format << " " << m.width << " x " << m.height);
        // Raw R, G, B rows top-down, as ImageMagick takes them.
        std::vector<unsigned char> raw;
        for (int y = m.height - 1; y >= 0; --y) {
            for (int x = 0; x < m.width; ++x) {
                Rgb p = PatternPixel(x, y);
                raw.insert(raw.end(), {p.r, p.g, p.b});
            }
        }
        folder.Write("in.rgb", raw);
        const std::string out = folder.File("out.bmp");
        const std::string command = "convert -size " + std::to_string(m.width) + "x" + std::to_string(m.height) +
                                    " -depth 8 rgb:'" + folder.File("in.rgb") + "' -type truecolor " + m.format +
                                    ":'" + out + "' 2>/dev/null";
        ASSERT_EQ(system(command.c_str()), 0);

        // Make sure the fixture is what the case means: 24 bits, uncompressed, pixels where expected.
        std::ifstream in(out, std::ios::binary);
        std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GE(file.size(), 54u);
        ASSERT_EQ(file[28], 24);
        ASSERT_EQ(file[30], 0);
        const uint32_t offset = file[10] | file[11] << 8 | file[12] << 16 | (uint32_t)file[13] << 24;
        ASSERT_EQ(offset, m.expectedOffset);

        EXPECT_TRUE(LoadBitmapImage(out.c_str(), 9));
        EXPECT_EQ(textureImages[9].width, m.width);
        EXPECT_EQ(textureImages[9].height, m.height);
        EXPECT_EQ(SlotBytes(9), PatternBlock(m.width, m.height));
    }
}

// The committed texture files are within the subset and load at their true size.
TEST_F(TextureLoader, TheFiveTextureFilesLoad) {
    ASSERT_EQ(chdir(DUD_SOURCE_DIR), 0);
    for (int slot = 0; slot < kTextureCount; ++slot) {
        SCOPED_TRACE(textureFilePaths[slot]);
        EXPECT_TRUE(LoadBitmapImage(textureFilePaths[slot], slot));
        EXPECT_EQ(textureImages[slot].width, 128);
        EXPECT_EQ(textureImages[slot].height, 128);
        EXPECT_NE(textureImages[slot].pixels, nullptr);
    }
    EXPECT_EQ(SeamOpenFiles(), 0);
}

}  // namespace
