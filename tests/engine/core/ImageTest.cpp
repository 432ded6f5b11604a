#include <gtest/gtest.h>

#include <SDL.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "EngineHarness.h"

USING_NS_CC;

namespace {

// Bits in deflate's order: values least significant bit first, Huffman codes
// most significant bit first.
class BitWriter {
public:
    void bits(uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i) put((value >> i) & 1);
    }
    void code(uint32_t value, int length)
    {
        for (int i = length - 1; i >= 0; --i) put((value >> i) & 1);
    }
    std::string finish()
    {
        if (_filled) _out.push_back(char(_byte));
        _byte = 0;
        _filled = 0;
        return _out;
    }

private:
    void put(uint32_t bit)
    {
        _byte |= uint8_t(bit << _filled);
        if (++_filled == 8) {
            _out.push_back(char(_byte));
            _byte = 0;
            _filled = 0;
        }
    }
    std::string _out;
    uint8_t _byte = 0;
    int _filled = 0;
};

uint32_t crc32Of(const std::string& bytes)
{
    uint32_t crc = 0xffffffffu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::string bigEndian(uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string chunk(const std::string& type, const std::string& data)
{
    return bigEndian(uint32_t(data.size())) + type + data + bigEndian(crc32Of(type + data));
}

// A zlib stream of count zero bytes: one literal, then back-references of
// 258 bytes at distance 1 in fixed Huffman codes, 13 bits each, so a
// gigabyte of pixels fits in a few megabytes.
std::string zlibOfZeros(uint64_t count)
{
    BitWriter w;
    w.bits(1, 1); // last block
    w.bits(1, 2); // fixed codes
    uint64_t left = count;
    if (left > 0) {
        w.code(0x30, 8); // literal 0
        --left;
    }
    for (; left >= 258; left -= 258) {
        w.code(0xc5, 8); // length 258
        w.code(0, 5);    // distance 1
    }
    for (; left > 0; --left) w.code(0x30, 8);
    w.code(0, 7); // end of block
    // Adler-32 of zeros: the first sum stays 1, the second adds 1 per byte.
    uint64_t b = count % 65521;
    return std::string("\x78\x01", 2) + w.finish() + bigEndian(uint32_t(b << 16 | 1));
}

// A black one-bit greyscale PNG of the given size: a few hundred kilobytes
// for 20000 x 20000, which decodes to hundreds of megabytes.
std::string blackPng(uint32_t width, uint32_t height)
{
    std::string header = bigEndian(width) + bigEndian(height) + std::string("\x01\x00\x00\x00\x00", 5);
    uint64_t raw = uint64_t(height) * (1 + (uint64_t(width) + 7) / 8);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", zlibOfZeros(raw)) +
           chunk("IEND", "");
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

long statusKilobytes(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return -1;
}

struct Outcome {
    bool finished = false;
    bool result = true;
    double seconds = 0;
    long peakGrowthKb = 0;
};

// Runs body in a child process so that a loader without a bound cannot take
// the test process down with it; reports its result, its time and how far
// its peak resident memory rose above what it had when body started.
Outcome runMeasured(const std::function<bool()>& body)
{
    Outcome outcome;
    int channel[2];
    if (pipe(channel) != 0) return outcome;
    pid_t pid = fork();
    if (pid == 0) {
        close(channel[0]);
        // Resets the peak to what is resident now.
        std::ofstream("/proc/self/clear_refs") << "5";
        long before = statusKilobytes("VmRSS:");
        auto start = std::chrono::steady_clock::now();
        Outcome measured;
        measured.result = body();
        measured.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        measured.peakGrowthKb = statusKilobytes("VmHWM:") - before;
        measured.finished = true;
        (void)!write(channel[1], &measured, sizeof measured);
        _exit(0);
    }
    close(channel[1]);
    pollfd wait{channel[0], POLLIN, 0};
    if (poll(&wait, 1, 60000) == 1 && read(channel[0], &outcome, sizeof outcome) != sizeof outcome) {
        outcome.finished = false;
    }
    close(channel[0]);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return outcome;
}

class ImageBounds : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string home = makeTemporaryHome();
        _dir = home.substr(0, home.rfind('/'));
    }
    void TearDown() override { removeTree(_dir); }

    std::string file(const std::string& name, const std::string& bytes)
    {
        std::string path = _dir + "/" + name;
        writeAll(path, bytes);
        return path;
    }

    static void expectRefusedQuickly(const Outcome& outcome)
    {
        ASSERT_TRUE(outcome.finished) << "the loader did not come back";
        EXPECT_FALSE(outcome.result);
        EXPECT_LT(outcome.seconds, 1.0);
        EXPECT_LT(outcome.peakGrowthKb, 100 * 1024);
    }

    std::string _dir;
};

TEST_F(ImageBounds, GeneratedPicturesDecodeSoTheBombsBelowAreRealOnes)
{
    Image small;
    std::string bytes = blackPng(33, 7);
    ASSERT_TRUE(small.initWithImageData(reinterpret_cast<const unsigned char*>(bytes.data()), ptrdiff_t(bytes.size())));
    EXPECT_EQ(small.getWidth(), 33);
    EXPECT_EQ(small.getHeight(), 7);
    EXPECT_EQ(small.getFileType(), Image::Format::PNG);
    EXPECT_EQ(small.getData()[0], 0);
    EXPECT_EQ(small.getData()[3], 255);

    // The widest picture the bound allows still loads.
    Image widest;
    ASSERT_TRUE(widest.initWithImageFile(file("widest.png", blackPng(Image::kMaxDeclaredSide, 1))));
    EXPECT_EQ(widest.getWidth(), Image::kMaxDeclaredSide);
}

TEST_F(ImageBounds, TinyFileDeclaringSixtyFiveThousandSquaredFailsAtOnce)
{
    std::string path = std::string(VELOQUIX_TEST_DATA_DIR) + "/images/declares-65535x65535.png";
    ASSERT_EQ(readAll(path).size(), 74u);
    testing::internal::CaptureStderr();
    Outcome outcome = runMeasured([&] {
        Image image;
        return image.initWithImageFile(path);
    });
    testing::internal::GetCapturedStderr();
    expectRefusedQuickly(outcome);
}

TEST_F(ImageBounds, CompressionBombFailsBeforeDecodingWithOneLine)
{
    std::string bomb = blackPng(20000, 20000);
    ASSERT_LT(bomb.size(), 400u * 1024);
    std::string path = file("bomb.png", bomb);
    testing::internal::CaptureStderr();
    Outcome outcome = runMeasured([&] {
        Image image;
        return image.initWithImageFile(path);
    });
    testing::internal::GetCapturedStderr();
    expectRefusedQuickly(outcome);

    testing::internal::CaptureStderr();
    Image image;
    EXPECT_FALSE(image.initWithImageFile(path));
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find("20000 x 20000"), std::string::npos) << message;
    EXPECT_EQ(image.getWidth(), 0);
}

TEST_F(ImageBounds, EachSideAndThePixelCountAreBounded)
{
    std::string tooWide = file("wide.png", blackPng(Image::kMaxDeclaredSide + 1, 1));
    std::string tooTall = file("tall.png", blackPng(1, Image::kMaxDeclaredSide + 1));
    // Both sides within the bound, the product over it.
    std::string tooMany = file("many.png", blackPng(Image::kMaxDeclaredSide, Image::kMaxDeclaredPixels / Image::kMaxDeclaredSide + 1));
    testing::internal::CaptureStderr();
    for (const std::string& path : {tooWide, tooTall, tooMany}) {
        expectRefusedQuickly(runMeasured([&] {
            Image image;
            return image.initWithImageFile(path);
        }));
    }
    testing::internal::GetCapturedStderr();
}

TEST_F(ImageBounds, JpegDeclaringAHugeFrameFailsAndSpriteCreateFailsAsForAnyBadFile)
{
    uint8_t pixels[16 * 16 * 4];
    for (size_t i = 0; i < sizeof pixels; ++i) pixels[i] = uint8_t(i * 7);
    Image source;
    ASSERT_TRUE(source.initWithRawData(pixels, sizeof pixels, 16, 16, 8));
    std::string jpeg;
    ASSERT_TRUE(source.encode(Image::Format::JPG, true, &jpeg));
    std::string good = file("good.jpg", jpeg);

    // The frame header: marker, length, precision, then height and width.
    size_t frame = jpeg.find("\xff\xc0", 2);
    ASSERT_NE(frame, std::string::npos);
    ASSERT_EQ(uint8_t(jpeg[frame + 5]), 0);
    ASSERT_EQ(uint8_t(jpeg[frame + 6]), 16);
    std::string huge = jpeg;
    huge[frame + 5] = huge[frame + 7] = char(0xea);
    huge[frame + 6] = huge[frame + 8] = char(0x60); // 60000
    std::string bad = file("huge.jpg", huge);

    Image decoded;
    ASSERT_TRUE(decoded.initWithImageFile(good));
    EXPECT_EQ(decoded.getWidth(), 16);
    EXPECT_EQ(decoded.getFileType(), Image::Format::JPG);

    testing::internal::CaptureStderr();
    expectRefusedQuickly(runMeasured([&] {
        Image image;
        return image.initWithImageFile(bad);
    }));
    std::string png = file("bomb.png", blackPng(20000, 20000));
    Outcome sprites = runMeasured([&] {
        EngineHarness h;
        // False only when both refused pictures give no sprite and the
        // good one does.
        bool made = Sprite::create(png) != nullptr || Sprite::create(bad) != nullptr;
        return made || Sprite::create(good) == nullptr;
    });
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(sprites.finished);
    EXPECT_FALSE(sprites.result);
}

TEST_F(ImageBounds, OnlyPngAndJpegAreDecoded)
{
    // A valid BMP, which SDL_image could read but nothing here needs.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 4, 4, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(surface, nullptr);
    std::string path = _dir + "/picture.bmp";
    ASSERT_EQ(SDL_SaveBMP(surface, path.c_str()), 0);
    SDL_FreeSurface(surface);
    Image image;
    EXPECT_FALSE(image.initWithImageFile(path));
    const unsigned char garbage[] = "\x89PNG\r\n\x1a\n short";
    EXPECT_FALSE(image.initWithImageData(garbage, sizeof garbage));
}

} // namespace
