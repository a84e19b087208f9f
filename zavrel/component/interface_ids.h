// Interface identifiers and the interface version of Zavrel's components.
#pragma once

#include "afx/afx_port.h"

// Interface version: product.main.sub.build, from the most significant byte.
constexpr DWORD MakeInterfaceVersion(BYTE product, BYTE main, BYTE sub, BYTE build) {
  return (static_cast<DWORD>(product) << 24) | (static_cast<DWORD>(main) << 16) | (static_cast<DWORD>(sub) << 8) |
         static_cast<DWORD>(build);
}

// Every interface of a Zavrel component is at 1.1.1; every query that Zavrel
// makes passes 1.1.1.0.
constexpr DWORD ZAVREL_INTERFACE_VERSION = MakeInterfaceVersion(1, 1, 1, 0);

// {92D87E91-5A5B-4A45-8CFD-382FE6B32B0B}
inline constexpr GUID IID_IUnknownEx = {0x92D87E91, 0x5A5B, 0x4A45, {0x8C, 0xFD, 0x38, 0x2F, 0xE6, 0xB3, 0x2B, 0x0B}};
// {55FCF8AA-526A-44C2-9AD1-040E07D68A2A}
inline constexpr GUID IID_IClientSocketSink = {
    0x55FCF8AA, 0x526A, 0x44C2, {0x9A, 0xD1, 0x04, 0x0E, 0x07, 0xD6, 0x8A, 0x2A}};
// {8B0E3918-5139-48DA-BF40-BA95ADCE5964}
inline constexpr GUID IID_IClientSocket = {
    0x8B0E3918, 0x5139, 0x48DA, {0xBF, 0x40, 0xBA, 0x95, 0xAD, 0xCE, 0x59, 0x64}};
// {4D0151E9-BD65-4A4C-A6F8-257468176E74}
inline constexpr GUID IID_IChannelService = {
    0x4D0151E9, 0xBD65, 0x4A4C, {0xA6, 0xF8, 0x25, 0x74, 0x68, 0x17, 0x6E, 0x74}};
// {7A672DCA-141E-45A6-95C4-4379237F2973}
inline constexpr GUID IID_IChannelMessageSink = {
    0x7A672DCA, 0x141E, 0x45A6, {0x95, 0xC4, 0x43, 0x79, 0x23, 0x7F, 0x29, 0x73}};
// {B87334AF-3F52-4E51-9DC6-519324669E2E}
inline constexpr GUID IID_IChannelEventSink = {
    0xB87334AF, 0x3F52, 0x4E51, {0x9D, 0xC6, 0x51, 0x93, 0x24, 0x66, 0x9E, 0x2E}};
// {850E5617-4EAB-4F2E-AE11-EFA32265E0C2}
inline constexpr GUID IID_IGameRankTable = {
    0x850E5617, 0x4EAB, 0x4F2E, {0xAE, 0x11, 0xEF, 0xA3, 0x22, 0x65, 0xE0, 0xC2}};
