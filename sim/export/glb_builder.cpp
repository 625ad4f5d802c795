#include "export/glb_builder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace vantorel_sim::gltf {

namespace {

constexpr int kFloat = 5126, kUnsignedShort = 5123, kUnsignedInt = 5125;
constexpr int kArrayBuffer = 34962, kElementArrayBuffer = 34963;
constexpr std::size_t kVertexStride = 24;  // position and normal, 3 floats each

template <typename T>
void Append(std::vector<std::uint8_t>& bytes, const T* data, std::size_t count) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + count * sizeof(T));
}

void PadTo4(std::vector<std::uint8_t>& bytes, std::uint8_t fill) {
    while (bytes.size() % 4 != 0) bytes.push_back(fill);
}

void PutU32(std::vector<std::uint8_t>& out, std::size_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    Append(out, &v, 1);  // glTF is little-endian, as is every platform built here
}

}  // namespace

int GlbBuilder::AddAccessor(View view, std::size_t byte_offset, int component_type, std::size_t count,
                            const char* type) {
    nlohmann::json a = {{"byteOffset", byte_offset}, {"componentType", component_type}, {"count", count},
                        {"type", type}};
    doc_["accessors"].push_back(std::move(a));
    accessor_views_.push_back(view);
    return static_cast<int>(accessor_views_.size() - 1);
}

std::pair<int, int> GlbBuilder::AddVertices(const std::vector<Float3>& positions, const std::vector<Float3>& normals) {
    auto& bytes = views_[kVertices];
    const std::size_t start = bytes.size();
    Float3 lo = positions.at(0), hi = positions.at(0);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        Append(bytes, positions[i].data(), 3);
        Append(bytes, normals.at(i).data(), 3);
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], positions[i][k]);
            hi[k] = std::max(hi[k], positions[i][k]);
        }
    }
    const int pos = AddAccessor(kVertices, start, kFloat, positions.size(), "VEC3");
    doc_["accessors"][pos]["min"] = lo;
    doc_["accessors"][pos]["max"] = hi;
    const int nrm = AddAccessor(kVertices, start + 12, kFloat, normals.size(), "VEC3");
    return {pos, nrm};
}

int GlbBuilder::AddIndices(const std::vector<std::uint32_t>& indices, std::size_t vertex_count) {
    auto& bytes = views_[kIndices];
    const std::size_t start = bytes.size();
    // 0xFFFF is the restart value, never an index: 16 bits hold up to 65535 vertices.
    const bool narrow = vertex_count <= std::numeric_limits<std::uint16_t>::max();
    for (std::uint32_t i : indices) {
        if (narrow) {
            const auto v = static_cast<std::uint16_t>(i);
            Append(bytes, &v, 1);
        } else {
            Append(bytes, &i, 1);
        }
    }
    PadTo4(bytes, 0);
    return AddAccessor(kIndices, start, narrow ? kUnsignedShort : kUnsignedInt, indices.size(), "SCALAR");
}

int GlbBuilder::AddKeyTimes(const std::vector<float>& times) {
    const int a = AddKeyValues(times, 1);
    doc_["accessors"][a]["min"] = {times.front()};
    doc_["accessors"][a]["max"] = {times.back()};
    return a;
}

int GlbBuilder::AddKeyValues(const std::vector<float>& values, int width) {
    static const char* const kTypes[] = {"", "SCALAR", "VEC2", "VEC3", "VEC4"};
    auto& bytes = views_[kKeys];
    const std::size_t start = bytes.size();
    Append(bytes, values.data(), values.size());
    return AddAccessor(kKeys, start, kFloat, values.size() / static_cast<std::size_t>(width), kTypes[width]);
}

std::vector<std::uint8_t> GlbBuilder::Finish() {
    // Views in a fixed order, each on a 4-byte boundary; an empty one is left out.
    std::vector<std::uint8_t> bin;
    std::array<int, kViewCount> view_index{-1, -1, -1};
    for (int v = 0; v < kViewCount; ++v) {
        if (views_[v].empty()) continue;
        nlohmann::json view = {{"buffer", 0}, {"byteOffset", bin.size()}, {"byteLength", views_[v].size()}};
        if (v == kVertices) view["byteStride"] = kVertexStride;
        if (v != kKeys) view["target"] = v == kVertices ? kArrayBuffer : kElementArrayBuffer;
        view_index[v] = static_cast<int>(doc_["bufferViews"].size());
        doc_["bufferViews"].push_back(std::move(view));
        bin.insert(bin.end(), views_[v].begin(), views_[v].end());
        PadTo4(bin, 0);
    }
    for (std::size_t a = 0; a < accessor_views_.size(); ++a)
        doc_["accessors"][a]["bufferView"] = view_index[accessor_views_[a]];
    if (!bin.empty()) doc_["buffers"] = nlohmann::json::array({nlohmann::json{{"byteLength", bin.size()}}});

    std::string json = doc_.dump();
    while (json.size() % 4 != 0) json.push_back(' ');
    const std::size_t total = 12 + 8 + json.size() + (bin.empty() ? 0 : 8 + bin.size());
    if (total > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("the glTF file would take " + std::to_string(total) +
                                " bytes, more than a .glb can hold (4 GiB)");
    std::vector<std::uint8_t> out;
    out.reserve(total);
    PutU32(out, 0x46546C67);  // "glTF"
    PutU32(out, 2);
    PutU32(out, total);
    PutU32(out, json.size());
    PutU32(out, 0x4E4F534A);  // "JSON"
    Append(out, json.data(), json.size());
    if (!bin.empty()) {
        PutU32(out, bin.size());
        PutU32(out, 0x004E4942);  // "BIN\0"
        Append(out, bin.data(), bin.size());
    }
    return out;
}

}  // namespace vantorel_sim::gltf
