// Checks the committed pictures and fonts against the places the application
// puts them: sizes in points at content scale 2, alpha, the track parts' end
// geometry, the palette row and the seamless board tile.
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kRoot = VELOQUIX_SOURCE_DIR;
constexpr double kScale = 2.0;

struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// Loads a picture as RGBA8888 so pixels can be read the same way for every file.
Surface load(const std::string& name) {
  SDL_Surface* raw = IMG_Load((kRoot + "/res/" + name).c_str());
  if (raw == nullptr) return Surface();
  Surface original(raw);
  return Surface(SDL_ConvertSurfaceFormat(original.get(), SDL_PIXELFORMAT_RGBA32, 0));
}

SDL_Color pixelAt(const Surface& s, int x, int y) {
  const auto* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
  const uint8_t* p = row + x * 4;
  return SDL_Color{p[0], p[1], p[2], p[3]};
}

// Alpha at a point given in part coordinates (points, origin bottom-left, y up).
int alphaAtPoint(const Surface& s, double x, double y) {
  int px = static_cast<int>(std::floor(x * kScale));
  int py = static_cast<int>(std::floor(s->h - y * kScale));
  px = std::min(std::max(px, 0), s->w - 1);
  py = std::min(std::max(py, 0), s->h - 1);
  return pixelAt(s, px, py).a;
}

struct PointSize {
  double w;
  double h;
};

PointSize pointSize(const Surface& s) { return {s->w / kScale, s->h / kScale}; }

const std::vector<std::string> kPartFiles = {
    "circuit_start.png", "circuit_straight.png", "circuit_corner.png", "circuit_wave.png",
    "circuit_slope.png", "circuit_bank.png",     "circuit_changer.png", "circuit_jump.png"};

const std::vector<std::string> kOtherFiles = {"base.png",
                                              "base_scale.png",
                                              "tab_base.png",
                                              "tab.png",
                                              "other_setting.png",
                                              "common_line.png",
                                              "other_code.png",
                                              "other_ok.png",
                                              "other_help.png",
                                              "other_galvora.png",
                                              "other_kito.png",
                                              "common_deleat_close.png",
                                              "common_deleat_open.png",
                                              "common_deleat1.png",
                                              "common_deleat2.png",
                                              "common_deleat3.png",
                                              "common_deleat4.png",
                                              "save_new.png",
                                              "noimage640.png",
                                              "frame640.png",
                                              "list_edit.png",
                                              "list_copy.png",
                                              "list_galvora.png",
                                              "galvora_header.png",
                                              "galvora_name.png",
                                              "galvora_description.png",
                                              "galvora_post.png",
                                              "common_close.png",
                                              "loading.png",
                                              "help_01.png",
                                              "help_02.png",
                                              "help_03.png",
                                              "help_06.png",
                                              "help_04.png",
                                              "help_pager_off.png",
                                              "help_pager_on.png",
                                              "help_arrow_l.png",
                                              "help_arrow_r.png",
                                              "undo.png",
                                              "redo.png",
                                              "open_end.png"};

// The two edit-box backgrounds are drawn at the boxes' own sizes of
// 400 x 44.5 and 400 x 150.5 points, which are an odd number of pixels high.
const std::map<std::string, PointSize> kFixedSizes = {{"tab_base.png", {1024, 868}},
                                                      {"save_new.png", {320, 240}},
                                                      {"noimage640.png", {320, 240}},
                                                      {"frame640.png", {320, 240}},
                                                      {"galvora_name.png", {400, 44.5}},
                                                      {"galvora_description.png", {400, 150.5}},
                                                      {"common_close.png", {99, 99}},
                                                      {"help_01.png", {1024, 768}},
                                                      {"help_02.png", {1024, 768}},
                                                      {"help_03.png", {1024, 768}},
                                                      {"help_06.png", {1024, 768}},
                                                      {"help_04.png", {1024, 768}},
                                                      {"undo.png", {64, 64}},
                                                      {"redo.png", {64, 64}}};

class PicturesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    IMG_Init(IMG_INIT_PNG);
    TTF_Init();
  }
  static void TearDownTestSuite() {
    TTF_Quit();
    IMG_Quit();
  }
};

std::vector<std::string> allFiles() {
  std::vector<std::string> all = kPartFiles;
  all.insert(all.end(), kOtherFiles.begin(), kOtherFiles.end());
  return all;
}

TEST_F(PicturesTest, EveryPictureLoadsWithAlphaAndVisibleContent) {
    ASSERT_EQ(allFiles().size(), 49u);
    for (const auto& name : allFiles()) {
        SCOPED_TRACE(name);
        SDL_Surface* raw = IMG_Load((kRoot + "/res/" + name).c_str());
        ASSERT_NE(raw, nullptr) << IMG_GetError();
        EXPECT_TRUE(SDL_ISPIXELFORMAT_ALPHA(raw->format->format));
        SDL_FreeSurface(raw);
        Surface s = load(name);
        ASSERT_TRUE(s);
        int visible = 0;
        for (int y = 0; y < s->h; y += 2)
            for (int x = 0; x < s->w; x += 2) visible += pixelAt(s, x, y).a > 0 ? 1 : 0;
        EXPECT_GT(visible, 0) << "nothing drawn";
    }
}

TEST_F(PicturesTest, PixelSizesAreEvenExceptTheHalfPointEditBoxes) {
  for (const auto& name : allFiles()) {
    SCOPED_TRACE(name);
    Surface s = load(name);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->w % 2, 0);
    if (name == "galvora_name.png" || name == "galvora_description.png") continue;
    EXPECT_EQ(s->h % 2, 0);
  }
}

TEST_F(PicturesTest, FixedSizesMatchTheirPlaces) {
  for (const auto& entry : kFixedSizes) {
    SCOPED_TRACE(entry.first);
    Surface s = load(entry.first);
    ASSERT_TRUE(s);
    EXPECT_DOUBLE_EQ(pointSize(s).w, entry.second.w);
    EXPECT_DOUBLE_EQ(pointSize(s).h, entry.second.h);
  }
}

TEST_F(PicturesTest, DrawerPanelHeightPutsStripBelowScreenAndTitleOnIt) {
  Surface s = load("tab_base.png");
  ASSERT_TRUE(s);
  const double h = pointSize(s).h;
  // open drawer: the panel's top at the screen's top, so its y = 100 line is the
  // screen's bottom edge and the 810 title sits inside the panel
  EXPECT_GE(h - 100.0, 768.0);
  EXPECT_LE(h - 768.0, 100.0);
  EXPECT_GT(h, 810.0 + 27.0);
}

TEST_F(PicturesTest, SmallPiecesFitWhereTheyStand) {
  // list buttons stand 100 apart, pager dots 35.5 apart, help arrows 70 from the edges
  for (const char* name : {"list_edit.png", "list_copy.png", "list_galvora.png"}) {
    Surface s = load(name);
    ASSERT_TRUE(s);
    EXPECT_LT(pointSize(s).w, 100.0) << name;
    EXPECT_NEAR(pointSize(s).w, 80.0, 10.0) << name;
  }
  for (const char* name : {"help_pager_off.png", "help_pager_on.png"}) {
    Surface s = load(name);
    ASSERT_TRUE(s);
    EXPECT_LT(pointSize(s).w, 35.5) << name;
  }
  for (const char* name : {"help_arrow_l.png", "help_arrow_r.png"}) {
    Surface s = load(name);
    ASSERT_TRUE(s);
    EXPECT_LT(pointSize(s).w / 2.0, 70.0) << name;
  }
  // the two field backgrounds centred at x = 369 and 655 must not touch
  Surface code = load("other_code.png");
  ASSERT_TRUE(code);
  EXPECT_LT(pointSize(code).w, 655.0 - 369.0);
  // the logos centred 300 apart
  for (const char* name : {"other_galvora.png", "other_kito.png"}) {
    Surface s = load(name);
    ASSERT_TRUE(s);
    EXPECT_LT(pointSize(s).w, 300.0) << name;
  }
  // the removal frames replace any part's picture, so they share one size
  Surface first = load("common_deleat1.png");
  ASSERT_TRUE(first);
  for (const char* name : {"common_deleat2.png", "common_deleat3.png", "common_deleat4.png"}) {
    Surface s = load(name);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->w, first->w) << name;
    EXPECT_EQ(s->h, first->h) << name;
  }
  // the ring on an open end stays smaller than the narrowest part's band and
  // leaves the end itself in sight
  Surface ring = load("open_end.png");
  ASSERT_TRUE(ring);
  EXPECT_LE(pointSize(ring).w, 16.0);
  EXPECT_EQ(pixelAt(ring, ring->w / 2, ring->h / 2).a, 0);
  EXPECT_EQ(pixelAt(ring, ring->w / 2, ring->h / 2 - 9).a, 255);
  Surface closed = load("common_deleat_close.png");
  Surface open = load("common_deleat_open.png");
  ASSERT_TRUE(closed && open);
  EXPECT_EQ(closed->w, open->w);
  EXPECT_EQ(closed->h, open->h);
}

TEST_F(PicturesTest, HelpPagesAreOpaqueFullScreens) {
  for (const char* name : {"help_01.png", "help_02.png", "help_03.png", "help_06.png", "help_04.png"}) {
    Surface s = load(name);
    ASSERT_TRUE(s);
    for (auto [x, y] : {std::pair<int, int>{0, 0}, {s->w - 1, 0}, {0, s->h - 1}, {s->w - 1, s->h - 1},
                        {s->w / 2, s->h / 2}})
      EXPECT_EQ(pixelAt(s, x, y).a, 255) << name << " at " << x << "," << y;
  }
}

TEST_F(PicturesTest, BoardTileRepeatsWithoutSeam) {
  Surface s = load("base.png");
  ASSERT_TRUE(s);
  // repeat wrapping needs power-of-two sides on the GL targets the engine supports
  EXPECT_EQ(s->w & (s->w - 1), 0);
  EXPECT_EQ(s->h & (s->h - 1), 0);
  auto close = [](SDL_Color a, SDL_Color b) {
    return std::abs(a.r - b.r) <= 6 && std::abs(a.g - b.g) <= 6 && std::abs(a.b - b.b) <= 6 &&
           a.a == 255 && b.a == 255;
  };
  for (int y = 0; y < s->h; ++y) EXPECT_TRUE(close(pixelAt(s, 0, y), pixelAt(s, s->w - 1, y))) << y;
  for (int x = 0; x < s->w; ++x) EXPECT_TRUE(close(pixelAt(s, x, 0), pixelAt(s, x, s->h - 1))) << x;
}

TEST_F(PicturesTest, PaletteRowFitsTheStrip) {
  TTF_Font* font = TTF_OpenFont((kRoot + "/fonts/Diamante-ExtraBold.ttf").c_str(), 27);
  ASSERT_NE(font, nullptr) << TTF_GetError();
  int labelW = 0, labelH = 0;
  ASSERT_EQ(TTF_SizeUTF8(font, "88", &labelW, &labelH), 0);
  TTF_CloseFont(font);

  double x = 10.0;
  double lastRight = 0.0;
  for (const auto& name : kPartFiles) {
    Surface s = load(name);
    ASSERT_TRUE(s) << name;
    const PointSize size = pointSize(s);
    // entries stand on y = 5 in the 100-point strip
    EXPECT_LE(5.0 + size.h, 100.0) << name;
    lastRight = x + size.w;
    x = x + size.w + 55.0;
  }
  // the last count label is centred 20 right of its entry; leave room for two digits
  EXPECT_LE(lastRight + 20.0 + labelW / 2.0, 1024.0);
}

TEST_F(PicturesTest, CornerIsATrue45DegreeArcBetweenItsEnds) {
  Surface s = load("circuit_corner.png");
  ASSERT_TRUE(s);
  const PointSize size = pointSize(s);
  const double w = size.w, h = size.h;
  EXPECT_NEAR(h - 38.25, std::tan(M_PI / 8.0) * (w - 15.75), 0.01);
  // the track meets the edges at both end points...
  EXPECT_EQ(alphaAtPoint(s, 0.2, 22.5), 255);
  EXPECT_EQ(alphaAtPoint(s, w - 15.75 - 0.5, h - 15.75 - 0.5), 255);
  // ...and leaves the corners that the touch outline cuts off empty
  EXPECT_EQ(alphaAtPoint(s, 0.5, h - 0.5), 0);
  EXPECT_EQ(alphaAtPoint(s, w - 0.5, 0.5), 0);
  // the touch outline of a picture this size reaches from the bottom to the far end
  EXPECT_GT(h - 13.5, 45.0);
  EXPECT_GT(w - 31.5, 0.0);
}

TEST_F(PicturesTest, StraightKindsMeetTheirEdgesMidHeight) {
  for (const char* name : {"circuit_start.png", "circuit_straight.png", "circuit_slope.png",
                           "circuit_bank.png", "circuit_jump.png"}) {
    Surface s = load(name);
    ASSERT_TRUE(s);
    const PointSize size = pointSize(s);
    EXPECT_GE(size.h, 45.0) << name;
    EXPECT_EQ(alphaAtPoint(s, 0.2, size.h * 0.5), 255) << name;
    EXPECT_EQ(alphaAtPoint(s, size.w - 0.2, size.h * 0.5), 255) << name;
  }
}

TEST_F(PicturesTest, WaveEndsLieBelowItsTopEdge) {
  Surface s = load("circuit_wave.png");
  ASSERT_TRUE(s);
  const PointSize size = pointSize(s);
  EXPECT_GE(size.h, 45.0);
  EXPECT_EQ(alphaAtPoint(s, 0.2, size.h - 22.5), 255);
  EXPECT_EQ(alphaAtPoint(s, size.w - 0.2, size.h - 22.5), 255);
}

TEST_F(PicturesTest, LaneChangerTrackStartsInsideItsEdges) {
  Surface s = load("circuit_changer.png");
  ASSERT_TRUE(s);
  const PointSize size = pointSize(s);
  ASSERT_GT(size.w, 46.0);
  // beyond its ends the band is left open for the neighbouring parts
  EXPECT_EQ(alphaAtPoint(s, 11.0, size.h * 0.5), 0);
  EXPECT_EQ(alphaAtPoint(s, size.w - 11.0, size.h * 0.5), 0);
  EXPECT_EQ(alphaAtPoint(s, 23.5, size.h * 0.5), 255);
  EXPECT_EQ(alphaAtPoint(s, size.w - 23.5, size.h * 0.5), 255);
}

TEST_F(PicturesTest, FontsOpenAndNoOtherFontFilesShip) {
  for (const char* name : {"arial.ttf", "Diamante-ExtraBold.ttf"}) {
    TTF_Font* font = TTF_OpenFont((kRoot + "/fonts/" + name).c_str(), 15);
    ASSERT_NE(font, nullptr) << name << ": " << TTF_GetError();
    int w = 0, h = 0;
    EXPECT_EQ(TTF_SizeUTF8(font, "Galvora", &w, &h), 0);
    EXPECT_GT(w, 0);
    TTF_CloseFont(font);
  }
  int ttfCount = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kRoot + "/fonts"))
    if (entry.path().extension() == ".ttf") ++ttfCount;
  EXPECT_EQ(ttfCount, 2);
  EXPECT_TRUE(std::filesystem::exists(kRoot + "/fonts/LICENSE-liberation.txt"));
  EXPECT_TRUE(std::filesystem::exists(kRoot + "/fonts/LICENSE-league-spartan.txt"));
}

}  // namespace
