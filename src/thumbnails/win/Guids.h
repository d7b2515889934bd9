#pragma once
// The fixed identities of the thumbnail server: one CLSID per extractor class, the module's AppID and
// the type library. They are written into the registry and must never change once released.
#include <windows.h>

namespace thumbs {
namespace win {

// {CC2003B7-1D01-4101-99CB-17FB41C57F20}
constexpr GUID kClsidDiImExtractor = {
    0xCC2003B7, 0x1D01, 0x4101, {0x99, 0xCB, 0x17, 0xFB, 0x41, 0xC5, 0x7F, 0x20}};
// {460A2961-F7AC-4719-A061-10964D608739}
constexpr GUID kClsidMdtImExtractor = {
    0x460A2961, 0xF7AC, 0x4719, {0xA0, 0x61, 0x10, 0x96, 0x4D, 0x60, 0x87, 0x39}};
// {2D582CE5-FF71-412B-B7C1-8C2A34F767C6}
constexpr GUID kClsidSpmImExtractor = {
    0x2D582CE5, 0xFF71, 0x412B, {0xB7, 0xC1, 0x8C, 0x2A, 0x34, 0xF7, 0x67, 0xC6}};
// {021587A7-4EBB-436B-AF8E-A628AA88880B}
constexpr GUID kAppId = {0x021587A7, 0x4EBB, 0x436B, {0xAF, 0x8E, 0xA6, 0x28, 0xAA, 0x88, 0x88, 0x0B}};
// {884EF2A1-8F54-487E-9951-614DF5534BD1}, version 1.0; VantriThumbnails.idl carries the same values.
constexpr GUID kLibId = {0x884EF2A1, 0x8F54, 0x487E, {0x99, 0x51, 0x61, 0x4D, 0xF5, 0x53, 0x4B, 0xD1}};

} // namespace win
} // namespace thumbs
