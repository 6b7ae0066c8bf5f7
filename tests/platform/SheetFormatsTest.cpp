// Sprite sheets that are not the 80 x 160, 24-bit bitmap the game ships:
// other depths and sizes load and draw from the corner they have; truncated,
// empty and absurd files fail with a message naming the file, quickly and
// without a large allocation. A frame is drawn after every load, so the
// sanitizer build proves no copy reads outside the sheet.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <string>

#include "TestPictures.h"
#include "platform/qt/QtSurface.h"

namespace {

void Put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>((v >> 8) & 0xff));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

// A BITMAPINFOHEADER file, written byte by byte so the depth is exactly the
// one asked for. pixel(x, y) gives the value of a pixel: a palette index for
// depths up to 8, else 0xRRGGBB. A negative height is stored top-down.
std::string BmpBytes(int32_t width, int32_t height, int bits,
                     const std::function<uint32_t(int, int)>& pixel, int paletteSize = 0) {
    const int32_t rows = height < 0 ? -height : height;
    const uint32_t rowBytes = ((static_cast<uint32_t>(width) * static_cast<uint32_t>(bits) + 31) / 32) * 4;
    std::string body;
    for (int32_t r = 0; r < rows; ++r) {
        const int y = height < 0 ? r : rows - 1 - r;
        std::string row;
        uint32_t acc = 0;
        int accBits = 0;
        for (int x = 0; x < width; ++x) {
            const uint32_t v = pixel(x, y);
            if (bits <= 8) {
                acc = (acc << bits) | v;
                accBits += bits;
                if (accBits == 8) {
                    row.push_back(static_cast<char>(acc));
                    acc = 0;
                    accBits = 0;
                }
            } else {
                row.push_back(static_cast<char>(v & 0xff));          // blue
                row.push_back(static_cast<char>((v >> 8) & 0xff));   // green
                row.push_back(static_cast<char>((v >> 16) & 0xff));  // red
                if (bits == 32) row.push_back('\0');
            }
        }
        if (accBits > 0) row.push_back(static_cast<char>(acc << (8 - accBits)));
        row.resize(rowBytes, '\0');
        body += row;
    }
    std::string palette;
    for (int i = 0; i < paletteSize; ++i) {
        const auto c = static_cast<uint32_t>(i * 255 / (paletteSize > 1 ? paletteSize - 1 : 1));
        Put32(palette, c | c << 8 | c << 16);
    }
    const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size());
    std::string out = "BM";
    Put32(out, offset + static_cast<uint32_t>(body.size()));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0);  // no compression
    Put32(out, static_cast<uint32_t>(body.size()));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, static_cast<uint32_t>(paletteSize));
    Put32(out, 0);
    return out + palette + body;
}

std::string Write(const QTemporaryDir& dir, const char* name, const std::string& bytes) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path.toStdString();
}

// Loads the file into a game's surface and draws the first frame of a stage.
struct Loaded {
    bool ok = false;
    std::string error;
    QSize size;
    int64_t refreshes = 0;
};
Loaded LoadAndDraw(const std::string& path) {
    testpics::QtGame g(testpics::TestBackground());
    Loaded result;
    result.ok = g.surface.LoadBitmaps(path, result.error);
    result.size = g.surface.Sheet().size();
    g.StartStage();
    g.game.state.specialFalling = true;
    g.game.state.specialKind = game::points5000;
    g.game.state.specialSpriteX = 52;
    g.game.state.specialSpriteY = 85;
    g.game.DrawFrame();
    result.refreshes = g.surface.RefreshCount();
    return result;
}

uint32_t Gradient(int x, int y) {
    return static_cast<uint32_t>((x * 3) << 16 | y << 8 | ((x ^ y) & 0xff));
}

}  // namespace

TEST(SheetFormats, BitmapsOfOtherDepthsAndSizesLoadAndDrawFromTheCornerTheyHave) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        int32_t width, height;
        int bits;
        int palette;
        QRgb topLeft;  // the sheet's pixel (0, 0) after loading
    } cases[] = {
        {"24-bit 80 x 160", 80, 160, 24, 0, qRgb(0, 0, 0)},
        {"24-bit top-down", 80, -160, 24, 0, qRgb(0, 0, 0)},
        {"32-bit", 80, 160, 32, 0, qRgb(0, 0, 0)},
        {"8-bit palette", 80, 160, 8, 256, qRgb(0, 0, 0)},
        {"4-bit palette", 80, 160, 4, 16, qRgb(0, 0, 0)},
        {"1-bit", 80, 160, 1, 2, qRgb(0, 0, 0)},
        {"1 x 1", 1, 1, 24, 0, qRgb(0, 0, 0)},
        {"wide and flat", 640, 2, 24, 0, qRgb(0, 0, 0)},
        {"4000 x 4000", 4000, 4000, 24, 0, qRgb(0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto pixel = [&](int x, int y) -> uint32_t {
            if (c.bits <= 8) return static_cast<uint32_t>((x + y) % c.palette);
            return Gradient(x % 80, y % 160);
        };
        const std::string path =
            Write(dir, "sheet.bmp", BmpBytes(c.width, c.height, c.bits, pixel, c.palette));
        const Loaded loaded = LoadAndDraw(path);
        ASSERT_TRUE(loaded.ok) << loaded.error;
        // Only the game's 80 x 160 corner is kept: enlarged at each scale, a
        // 4000 x 4000 sheet would take gigabytes in full screen.
        EXPECT_EQ(loaded.size,
                  QSize(c.width, c.height < 0 ? -c.height : c.height).boundedTo(QSize(80, 160)));
        EXPECT_EQ(loaded.refreshes, 1);  // the frame was drawn and shown
    }
}

TEST(SheetFormats, FilesThatAreNoWholeBitmapFailWithAMessageNamingTheFile) {
    QTemporaryDir dir;
    const std::string whole = BmpBytes(80, 160, 24, Gradient);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"one byte", "B"},
        {"the signature only", "BM"},
        {"the file header only", whole.substr(0, 14)},
        {"cut inside the info header", whole.substr(0, 30)},
        {"headers without pixels", whole.substr(0, 54)},
        {"a text file", "Tilebash\r\n30000\r\n"},
        {"zero width", BmpBytes(0, 160, 24, Gradient)},
        {"a depth bitmaps do not have",
         [&] {
             std::string b = whole;
             b[28] = 7;
             return b;
         }()},
        {"a compression it does not know",
         [&] {
             std::string b = whole;
             b[30] = 9;
             return b;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(dir, "bitmaps.bmp", c.bytes);
        const Loaded loaded = LoadAndDraw(path);
        EXPECT_FALSE(loaded.ok);
        EXPECT_NE(loaded.error.find("\"" + path + "\""), std::string::npos) << loaded.error;
        EXPECT_GT(loaded.error.size(), path.size() + 40) << "no reason given: " << loaded.error;
        EXPECT_TRUE(loaded.size.isEmpty());
    }
}

// Truncated anywhere in its pixels, a sheet either fails with a message or
// loads whole at its header's size; drawing from it never reads past it.
TEST(SheetFormats, ASheetCutAnywhereNeverLoadsAsSomethingElse) {
    QTemporaryDir dir;
    const std::string whole = BmpBytes(80, 160, 24, Gradient);
    for (std::size_t length :
         {std::size_t{55}, std::size_t{54 + 240}, std::size_t{54 + 240 * 80 + 7}, whole.size() - 1}) {
        SCOPED_TRACE(length);
        const std::string path = Write(dir, "bitmaps.bmp", whole.substr(0, length));
        const Loaded loaded = LoadAndDraw(path);
        if (loaded.ok) {
            EXPECT_EQ(loaded.size, QSize(80, 160));
        } else {
            EXPECT_NE(loaded.error.find(path), std::string::npos) << loaded.error;
        }
    }
}

// A header may claim any size: the decoder's allocation limit refuses a
// picture of gigabytes instead of trying to make it.
TEST(SheetFormats, AHeaderClaimingAHugePictureFailsWithoutMakingIt) {
    QTemporaryDir dir;
    for (const auto& [w, h] :
         {std::pair{40000, 40000}, std::pair{2000000000, 1}, std::pair{1, -2000000000}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        std::string bytes = BmpBytes(1, 1, 24, Gradient);
        auto set32 = [&](std::size_t at, int32_t v) {
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xff);
        };
        set32(18, w);
        set32(22, h);
        const std::string path = Write(dir, "bitmaps.bmp", bytes);
        const Loaded loaded = LoadAndDraw(path);
        EXPECT_FALSE(loaded.ok);
        EXPECT_NE(loaded.error.find(path), std::string::npos) << loaded.error;
    }
}
