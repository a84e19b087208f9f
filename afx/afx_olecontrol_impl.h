// What the control container's two files share: the site
// (afx_olecontrol.cpp) calls through the dispatch side
// (afx_olecontrol_dispatch.cpp). Private to Afx.
#pragma once

#include "afx/afx_olecontrol.h"

#include <cstdarg>

namespace afx_olecontrol {

// Zeroes the result of vtRet at pvRet (a failed call).
void ClearResult(VARTYPE vtRet, void* pvRet);

// InvokeHelper's call: the arguments that pbParamInfo describes, read from
// argList, passed to pDispatch's member dwDispID (a property put names its
// argument), the result converted to vtRet into pvRet. The result is
// cleared first, and again when it cannot be converted
// (DISP_E_TYPEMISMATCH); E_NOINTERFACE without a dispatch interface,
// DISP_E_BADVARTYPE for a description this layer does not know.
HRESULT InvokeV(IDispatch* pDispatch, DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo,
                va_list argList);

}  // namespace afx_olecontrol
