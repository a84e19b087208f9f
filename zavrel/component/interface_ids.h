// Interface identifiers and the interface version of Zavrel's components.
// MakeInterfaceVersion and the identifiers of IUnknownEx and of the socket's
// interfaces are the bottom layer's (base/unknown_ex.h).
#pragma once

#include "afx/afx_port.h"
#include "base/unknown_ex.h"

// Every interface of a Zavrel component is at 1.1.1; every query that Zavrel
// makes passes 1.1.1.0.
constexpr DWORD ZAVREL_INTERFACE_VERSION = MakeInterfaceVersion(1, 1, 1, 0);

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
