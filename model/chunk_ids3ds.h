// The chunk ids of the 3DS format that the reader interprets; every other id is skipped by its length.
#pragma once

#include <cstdint>

namespace chunk3ds {
constexpr std::uint16_t primary = 0x4D4D;
constexpr std::uint16_t fileVersion = 0x0002;
constexpr std::uint16_t meshData = 0x3D3D;
constexpr std::uint16_t meshVersion = 0x3D3E;        // not interpreted: the mesh data's first child is consumed whole
constexpr std::uint16_t namedObject = 0x4000;
constexpr std::uint16_t triangleMesh = 0x4100;
constexpr std::uint16_t vertexList = 0x4110;
constexpr std::uint16_t faceList = 0x4120;
constexpr std::uint16_t faceMaterialGroup = 0x4130;
constexpr std::uint16_t mappingCoords = 0x4140;
constexpr std::uint16_t smoothingGroups = 0x4150;   // not interpreted: skipped like any other
constexpr std::uint16_t material = 0xAFFF;
constexpr std::uint16_t materialName = 0xA000;
constexpr std::uint16_t diffuseColor = 0xA020;
constexpr std::uint16_t color24 = 0x0011;            // the colour sub-chunk inside the diffuse colour
constexpr std::uint16_t color24Gamma = 0x0012;
constexpr std::uint16_t textureMap1 = 0xA200;
constexpr std::uint16_t mapFileName = 0xA300;
}  // namespace chunk3ds
