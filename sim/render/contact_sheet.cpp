#include "render/contact_sheet.h"

#include <algorithm>
#include <functional>

#include "vantorel/vessel_layout.h"
#include "render/bitmap_font.h"

namespace vantorel_sim {

namespace layout = vantorel::layout;
using A = layout::Animation;

namespace {

std::pair<unsigned, double> S(A a, double state) { return {static_cast<unsigned>(layout::Index(a)), state}; }

// Instrument readings that show every needle, drum and hand away from zero.
const std::vector<std::pair<unsigned, double>> kReadings = {
    S(A::alt_needle, 0.35),      S(A::alt_ten_thousands_drum, 0.1), S(A::alt_thousands_drum, 0.2),
    S(A::alt_hundreds_drum, 0.3), S(A::alt_tens_drum, 0.5),         S(A::alt_units_drum, 0.0),
    S(A::aoa_needle, 0.3),        S(A::heading_card, 0.125),        S(A::airspeed_needle, 0.4),
    S(A::bank_needle, 0.55),      S(A::clock_fast, 0.25),           S(A::clock_mid, 0.5),
    S(A::clock_slow, 0.3),        S(A::fuel_needle, 0.7),           S(A::throttle, 0.6),
};

}  // namespace

std::vector<SheetTile> StandardTiles(int w, int h, const DrawOptions& draw) {
    auto tile = [&](std::string label, View view, MeshChoice mesh, std::vector<std::pair<unsigned, double>> states) {
        RenderRequest r;
        r.view = view;
        r.mesh = mesh;
        r.states = std::move(states);
        r.width_px = w;
        r.height_px = h;
        r.draw = draw;
        return SheetTile{std::move(label), std::move(r)};
    };
    const auto ext = MeshChoice::exterior;
    return {
        tile("three-quarter", View::three_quarter, ext, {}),
        tile("side gear=0 (down)", View::side, ext, {S(A::gear, 0.0)}),
        tile("side gear=0.25", View::side, ext, {S(A::gear, 0.25)}),
        tile("underside gear=1 (up)", View::underside, ext, {S(A::gear, 1.0)}),
        tile("canopy=1 (open)", View::three_quarter, ext, {S(A::canopy, 1.0)}),
        tile("flaps=1 (down)", View::three_quarter, ext, {S(A::flaps, 1.0)}),
        tile("front rudder=1", View::front, ext, {S(A::rudder, 1.0)}),
        tile("side elevator=1", View::side, ext, {S(A::elevator, 1.0)}),
        tile("front ailerons 1/0", View::front, ext, {S(A::aileron_left, 1.0), S(A::aileron_right, 0.0)}),
        tile("top nose_steer=1", View::top, ext, {S(A::nose_steer, 1.0)}),
        tile("cockpit unlit", View::pilot, MeshChoice::cockpit, kReadings),
        tile("cockpit lit", View::pilot, MeshChoice::cockpit_lit, kReadings),
    };
}

namespace {

constexpr int kGap = 4;
constexpr Rgb8 kBackground{90, 96, 104};

// The pictures of one row of the sheet, labelled.
std::vector<Image> DrawRow(VesselScene& scene, const std::vector<SheetTile>& tiles, std::size_t first, int columns,
                           const std::function<void(std::size_t)>& on_tile) {
    std::vector<Image> pictures;
    for (std::size_t i = first; i < tiles.size() && i < first + static_cast<std::size_t>(columns); ++i) {
        Image picture = RenderView(scene, tiles[i].request);
        const int h = tiles[i].request.height_px;
        DrawLabel(picture, 2, 2, tiles[i].label, std::max(1, h / 160), Rgb8{255, 255, 255}, Rgb8{30, 34, 40});
        pictures.push_back(std::move(picture));
        if (on_tile) on_tile(i);
    }
    return pictures;
}

}  // namespace

void WriteContactSheet(VesselScene& scene, const std::vector<SheetTile>& tiles, int columns, std::FILE* file,
                       const std::string& name,
                       const std::function<void(std::size_t)>& on_tile) {
    if (tiles.empty()) return EncodePng(Image(1, 1, Rgb8{255, 255, 255}), file, name);
    columns = std::max(1, columns);
    const int w = tiles.front().request.width_px, h = tiles.front().request.height_px;
    const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
    const int width = columns * (w + kGap) + kGap;
    PngWriter png(file, name, width, rows * (h + kGap) + kGap);
    std::vector<Rgb8> line(static_cast<std::size_t>(width), kBackground);
    const auto blank = [&] {
        std::fill(line.begin(), line.end(), kBackground);
        for (int y = 0; y < kGap; ++y) png.WriteRow(line.data());
    };
    blank();
    for (int r = 0; r < rows; ++r) {
        const std::vector<Image> pictures = DrawRow(scene, tiles, static_cast<std::size_t>(r * columns), columns, on_tile);
        for (int y = 0; y < h; ++y) {
            std::fill(line.begin(), line.end(), kBackground);
            for (std::size_t col = 0; col < pictures.size(); ++col) {
                const Image& p = pictures[col];
                const int x0 = kGap + static_cast<int>(col) * (w + kGap);
                if (y >= p.height) continue;
                const int n = std::min(p.width, width - x0);  // clipped to the sheet, as drawn in place
                std::copy_n(&p.pixels[static_cast<std::size_t>(y) * p.width], n, &line[static_cast<std::size_t>(x0)]);
            }
            png.WriteRow(line.data());
        }
        blank();
    }
    png.Finish();
}

}  // namespace vantorel_sim
