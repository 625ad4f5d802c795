// The renderer: sizes, views, what lands in the picture, and the PNG file.
#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <filesystem>

#include "asset_fixture.h"
#include "render/bitmap_font.h"
#include "render/raster.h"
#include "render/render_command.h"
#include "render/views.h"

namespace {

using vantorel_sim::Image;
using vantorel_sim::Rgb8;

TEST(Render, SizeTakesWidthByHeightOrASquare) {
    EXPECT_EQ(vantorel_sim::ParseSize("640x480"), std::make_pair(640, 480));
    EXPECT_EQ(vantorel_sim::ParseSize("256"), std::make_pair(256, 256));
    for (const char* bad : {"", "x", "640x", "x480", "15x100", "100x9000", "64.5x48", "-64x48", "64x48x2"})
        EXPECT_FALSE(vantorel_sim::ParseSize(bad).has_value()) << bad;
}

TEST(Render, ViewAndMeshNamesRoundTrip) {
    for (const char* name : {"front", "side", "top", "three-quarter", "underside", "pilot"})
        EXPECT_STREQ(vantorel_sim::ViewName(*vantorel_sim::ViewNamed(name)), name);
    EXPECT_FALSE(vantorel_sim::ViewNamed("back").has_value());
    EXPECT_TRUE(vantorel_sim::MeshNamed("cockpit-lit").has_value());
    EXPECT_FALSE(vantorel_sim::MeshNamed("Cockpit").has_value());
}

host::mesh::Mesh Square(double z, Rgb8) {
    host::mesh::Mesh m;
    m.groups.resize(1);
    auto& g = m.groups[0];
    for (auto [x, y] : {std::pair{-1.0, -1.0}, {1.0, -1.0}, {1.0, 1.0}, {-1.0, 1.0}})
        g.vertices.push_back({{x, y, z}, {0, 0, -1}, 0, 0});
    g.triangles = {{0, 1, 2}, {0, 2, 3}};
    return m;
}

TEST(Render, NearerSurfaceHidesTheFartherWhateverTheOrder) {
    host::mesh::Mesh near = Square(0, {}), far = Square(1, {});
    near.materials.push_back({});
    near.materials[0].emissive = {1, 0, 0, 1};
    near.materials[0].diffuse = {0, 0, 0, 1};
    near.materials[0].ambient = {0, 0, 0, 1};
    near.groups[0].material = 1;
    for (auto& v : near.groups[0].vertices) v.pos_m.x *= 0.5;  // half as wide: the far one shows beside it
    auto cam = vantorel_sim::Camera::Looking({0, 0, -10}, {0, 0, 1}, {0, 1, 0});
    cam.half_height_m = 2;
    for (bool near_first : {true, false}) {
        std::vector<vantorel_sim::PlacedMesh> scene;
        if (near_first) scene = {{&near, {}}, {&far, {}}};
        else scene = {{&far, {}}, {&near, {}}};
        const Image img = vantorel_sim::Render(scene, cam, 40, 40, {});
        EXPECT_EQ(img.at(20, 20), (Rgb8{255, 0, 0})) << "emissive red, unlit, in front";
        EXPECT_NE(img.at(13, 20), (Rgb8{255, 0, 0}));  // the far square beside it
        EXPECT_NE(img.at(13, 20), (Rgb8{236, 240, 244}));
        EXPECT_EQ(img.at(2, 2), (Rgb8{236, 240, 244}));  // background
    }
}

TEST(Render, LabelDrawsInkInItsBox) {
    Image img(60, 20, Rgb8{0, 0, 0});
    const int w = vantorel_sim::DrawLabel(img, 0, 0, "G1", 1, Rgb8{255, 255, 255}, Rgb8{9, 9, 9});
    EXPECT_EQ(w, 14);  // two 6-pixel advances, a pixel of padding each side
    int ink = 0;
    for (const auto& p : img.pixels) ink += p == Rgb8{255, 255, 255};
    EXPECT_GT(ink, 10);
    EXPECT_EQ(img.at(40, 15), (Rgb8{0, 0, 0}));
    EXPECT_EQ(vantorel_sim::Glyph('g'), vantorel_sim::Glyph('G'));
    EXPECT_EQ(vantorel_sim::Glyph('~'), vantorel_sim::Glyph('?'));
}

TEST(Render, PngReadsBackWithItsSizeAndPixels) {
    Image img(7, 3, Rgb8{10, 20, 30});
    img.at(6, 2) = Rgb8{200, 100, 50};
    vantorel_sim::WritePng(img, "small.png");
    png_image back{};
    back.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&back, "small.png"));
    back.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> px(PNG_IMAGE_SIZE(back));
    ASSERT_TRUE(png_image_finish_read(&back, nullptr, px.data(), 0, nullptr));
    EXPECT_EQ(back.width, 7u);
    EXPECT_EQ(back.height, 3u);
    EXPECT_EQ(px[0], 10);
    EXPECT_EQ(px[px.size() - 3], 200);
    EXPECT_EQ(px[px.size() - 1], 50);
    std::remove("small.png");
    EXPECT_THROW(vantorel_sim::WritePng(img, "no/such/dir/x.png"), vantorel_sim::PngError);
}

// Row by row: a picture left short, or given a row too many, is refused.
TEST(Render, PngWriterRefusesTooFewOrTooManyRows) {
    const std::vector<Rgb8> row(5, Rgb8{1, 2, 3});
    for (int rows : {2, 4}) {
        std::FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        vantorel_sim::PngWriter png(file, "'rows.png'", 5, 3);
        EXPECT_THROW(
            {
                for (int y = 0; y < rows; ++y) png.WriteRow(row.data());
                png.Finish();
            },
            vantorel_sim::PngError)
            << rows;
        std::fclose(file);
    }
}

TEST(Render, GearStateChangesTheSidePicture) {
    const std::string dir = fixture::NewAssetFolder("render");
    fixture::Write(fixture::GoodAssets(), dir);
    vantorel_sim::SceneOptions options;
    options.asset_dir = dir;
    vantorel_sim::VesselScene scene{options};
    vantorel_sim::RenderRequest r;
    r.view = vantorel_sim::View::side;
    r.width_px = r.height_px = 64;
    const Image down = vantorel_sim::RenderView(scene, r);
    r.states = {{2, 1.0}};  // gear up
    const Image up = vantorel_sim::RenderView(scene, r);
    EXPECT_TRUE(down.pixels != up.pixels);
    r.states.clear();
    EXPECT_TRUE(vantorel_sim::RenderView(scene, r).pixels == down.pixels) << "states are reset between pictures";
}

}  // namespace
