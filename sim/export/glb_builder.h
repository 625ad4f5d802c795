// The binary half of a glTF 2.0 file and its packing into a .glb: accessors
// over one buffer, laid out in three buffer views (vertices, indices,
// animation keys), and the JSON and binary chunks with their padding.
#ifndef VANTOREL_SIM_EXPORT_GLB_BUILDER_H
#define VANTOREL_SIM_EXPORT_GLB_BUILDER_H

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace vantorel_sim::gltf {

using Float3 = std::array<float, 3>;

class GlbBuilder {
public:
    // The document; the caller fills everything but accessors, bufferViews and buffers.
    nlohmann::json& doc() { return doc_; }

    // One primitive's positions and normals, interleaved; returns the
    // accessors {POSITION, NORMAL}. Both lists have the same length, at least 1.
    std::pair<int, int> AddVertices(const std::vector<Float3>& positions, const std::vector<Float3>& normals);
    // Triangle indices, 16-bit when the vertex count allows.
    int AddIndices(const std::vector<std::uint32_t>& indices, std::size_t vertex_count);
    // Animation keys: times (SCALAR, with the min and max samplers need) or
    // values of `width` floats each (3: VEC3, 4: VEC4).
    int AddKeyTimes(const std::vector<float>& times);
    int AddKeyValues(const std::vector<float>& values, int width);

    // The whole file. Throws std::length_error when it would not fit a .glb.
    std::vector<std::uint8_t> Finish();

private:
    enum View { kVertices, kIndices, kKeys, kViewCount };
    int AddAccessor(View view, std::size_t byte_offset, int component_type, std::size_t count, const char* type);

    nlohmann::json doc_ = nlohmann::json::object();
    std::array<std::vector<std::uint8_t>, kViewCount> views_;
    std::vector<View> accessor_views_;  // by accessor
};

}  // namespace vantorel_sim::gltf

#endif
