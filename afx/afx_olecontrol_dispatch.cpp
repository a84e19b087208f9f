// The dispatch side of the control container: InvokeHelper's arguments
// (the VTS_ descriptions) and results, and the event sink maps, whose
// entries receive an event's arguments converted as their descriptions say.
#include "afx/afx_olecontrol_impl.h"

#include <cstring>
#include <vector>

#include "base/win_owners.h"

// --- event sink maps --------------------------------------------------------

namespace {

// The arguments of one event converted to the types an entry's VTS_*
// description gives (by-reference, VARIANT, IDispatch and IUnknown ones
// stay as they came, for the handler's parameter type to check), cleared
// with the object.
class ConvertedArgs {
 public:
  ConvertedArgs() = default;
  ConvertedArgs(const ConvertedArgs&) = delete;
  ConvertedArgs& operator=(const ConvertedArgs&) = delete;
  ~ConvertedArgs();
  // S_OK (nothing to do for a null description), S_FALSE when the counts
  // differ, DISP_E_TYPEMISMATCH when an argument cannot be converted.
  HRESULT Convert(LPCSTR pszParams, const DISPPARAMS* pParams);
  DISPPARAMS* Params() { return &m_params; }

 private:
  std::vector<VARIANT> m_args;
  std::vector<bool> m_owned;
  DISPPARAMS m_params = {};
};

ConvertedArgs::~ConvertedArgs() {
  for (std::size_t i = 0; i < m_args.size(); ++i) {
    if (m_owned[i]) VariantClear(&m_args[i]);
  }
}

HRESULT ConvertedArgs::Convert(LPCSTR pszParams, const DISPPARAMS* pParams) {
  if (!pszParams) return S_OK;
  const std::size_t count = strlen(pszParams);
  const UINT given = pParams ? pParams->cArgs : 0;
  if (count != given) return S_FALSE;
  m_args.assign(count, VARIANT{});
  m_owned.assign(count, false);
  // rgvarg holds the arguments last first; so does the converted list.
  for (std::size_t i = 0; i < count; ++i) {
    const BYTE vts = static_cast<BYTE>(pszParams[count - 1 - i]);
    const VARIANT& in = pParams->rgvarg[i];
    VARIANT& out = m_args[i];
    // 0x40 in a description marks a by-reference argument (VTS_PBOOL).
    if ((vts & 0x40) || vts == VT_VARIANT || vts == VT_DISPATCH || vts == VT_UNKNOWN) {
      out = in;  // as it came; the handler's parameter type checks it
      continue;
    }
    VariantInit(&out);
    if (FAILED(VariantChangeType(&out, const_cast<VARIANT*>(&in), 0, vts))) return DISP_E_TYPEMISMATCH;
    m_owned[i] = true;
  }
  m_params.rgvarg = m_args.empty() ? nullptr : m_args.data();
  m_params.cArgs = static_cast<UINT>(m_args.size());
  return S_OK;
}

}  // namespace

const AFX_EVENTSINKMAP* CCmdTarget::GetThisEventSinkMap() {
  static const AFX_EVENTSINKMAP_ENTRY entries[] = {{0, 0, nullptr, nullptr}};
  static const AFX_EVENTSINKMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_EVENTSINKMAP* CCmdTarget::GetEventSinkMap() const { return GetThisEventSinkMap(); }

BOOL CCmdTarget::OnEvent(UINT idCtrl, AFX_EVENT* pEvent, AFX_CMDHANDLERINFO* pHandlerInfo) {
  for (const AFX_EVENTSINKMAP* map = GetEventSinkMap(); map;
       map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_EVENTSINKMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
      if (e->nCtrlID != idCtrl || e->dispid != pEvent->m_dispid) continue;
      if (pHandlerInfo) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pEntry = nullptr;
        return TRUE;
      }
      ConvertedArgs args;
      const HRESULT converted = args.Convert(e->pszParams, pEvent->m_pDispParams);
      if (converted == S_FALSE) continue;  // another argument count
      if (FAILED(converted)) {
        pEvent->m_hResult = converted;
        continue;
      }
      AFX_EVENT event = *pEvent;
      if (e->pszParams) event.m_pDispParams = args.Params();
      const BOOL taken = e->pfn(this, &event);
      pEvent->m_hResult = event.m_hResult;
      if (taken) return TRUE;
    }
  }
  return FALSE;
}

bool afx_event::TextFromVariant(const VARIANT& v, CString& text) {
  VARIANT converted;
  VariantInit(&converted);
  if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&v), 0, VT_BSTR))) return false;
  text.Empty();
  const BSTR s = converted.bstrVal;
  const int wide = s ? static_cast<int>(SysStringLen(s)) : 0;
  if (wide > 0) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, s, wide, nullptr, 0, nullptr, nullptr);
    std::vector<char> buffer(static_cast<std::size_t>(bytes > 0 ? bytes : 0) + 1);
    const int got = WideCharToMultiByte(CP_ACP, 0, s, wide, buffer.data(), bytes, nullptr, nullptr);
    text = CString(buffer.data(), got > 0 ? got : 0);
  }
  VariantClear(&converted);
  return true;
}

namespace {

// A BSTR of ANSI text (null for null).
BSTR BstrFromAnsi(LPCSTR text) {
  if (!text) return nullptr;
  const int wide = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (wide <= 0) return SysAllocString(L"");
  BSTR s = SysAllocStringLen(nullptr, static_cast<UINT>(wide - 1));
  if (s) MultiByteToWideChar(CP_ACP, 0, text, -1, s, wide);
  return s;
}

// The arguments of one Invoke, cleared with the object.
class InvokeArgs {
 public:
  InvokeArgs() = default;
  InvokeArgs(const InvokeArgs&) = delete;
  InvokeArgs& operator=(const InvokeArgs&) = delete;
  ~InvokeArgs() {
    for (VARIANT& v : m_args) VariantClear(&v);
  }
  VARIANT& Add() {
    m_args.emplace_back();
    VariantInit(&m_args.back());
    return m_args.back();
  }
  std::vector<VARIANT>& All() { return m_args; }

 private:
  std::vector<VARIANT> m_args;
};

// Reads the arguments that pbParamInfo describes from the list. False for a
// description this layer does not know.
bool ReadArgs(const BYTE* pbParamInfo, va_list argList, InvokeArgs& args) {
  for (const BYTE* p = pbParamInfo; p && *p; ++p) {
    VARIANT& v = args.Add();
    switch (*p) {
      case VT_I2:
        v.vt = VT_I2;
        v.iVal = static_cast<SHORT>(va_arg(argList, int));
        break;
      case VT_I4:
        v.vt = VT_I4;
        v.lVal = va_arg(argList, long);
        break;
      case VT_UI1:
        v.vt = VT_UI1;
        v.bVal = static_cast<BYTE>(va_arg(argList, int));
        break;
      case VT_UI2:
        v.vt = VT_UI2;
        v.uiVal = static_cast<USHORT>(va_arg(argList, int));
        break;
      case VT_UI4:
        v.vt = VT_UI4;
        v.ulVal = va_arg(argList, unsigned long);
        break;
      case VT_R4:
        v.vt = VT_R4;
        v.fltVal = static_cast<float>(va_arg(argList, double));
        break;
      case VT_R8:
        v.vt = VT_R8;
        v.dblVal = va_arg(argList, double);
        break;
      case VT_BOOL:
        v.vt = VT_BOOL;
        v.boolVal = va_arg(argList, int) ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case VT_BSTR:
        v.vt = VT_BSTR;
        v.bstrVal = BstrFromAnsi(va_arg(argList, LPCSTR));
        break;
      case VT_DISPATCH:
        v.vt = VT_DISPATCH;
        v.pdispVal = va_arg(argList, IDispatch*);
        if (v.pdispVal) v.pdispVal->AddRef();
        break;
      case VT_UNKNOWN:
        v.vt = VT_UNKNOWN;
        v.punkVal = va_arg(argList, IUnknown*);
        if (v.punkVal) v.punkVal->AddRef();
        break;
      case VT_VARIANT: {
        const VARIANT* src = va_arg(argList, const VARIANT*);
        if (src && FAILED(VariantCopy(&v, const_cast<VARIANT*>(src)))) return false;
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

}  // namespace

namespace afx_olecontrol {

void ClearResult(VARTYPE vtRet, void* pvRet) {
  if (!pvRet) return;
  switch (vtRet) {
    case VT_I2:
    case VT_UI2:
      *static_cast<SHORT*>(pvRet) = 0;
      break;
    case VT_I4:
    case VT_UI4:
      *static_cast<LONG*>(pvRet) = 0;
      break;
    case VT_UI1:
      *static_cast<BYTE*>(pvRet) = 0;
      break;
    case VT_BOOL:
      *static_cast<BOOL*>(pvRet) = FALSE;
      break;
    case VT_R4:
      *static_cast<float*>(pvRet) = 0;
      break;
    case VT_R8:
      *static_cast<double*>(pvRet) = 0;
      break;
    case VT_BSTR:
      static_cast<CString*>(pvRet)->Empty();
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      *static_cast<IUnknown**>(pvRet) = nullptr;
      break;
    case VT_VARIANT:
      // The caller's variable may hold anything: written, never cleared.
      VariantInit(static_cast<VARIANT*>(pvRet));
      break;
    default:
      break;
  }
}

}  // namespace afx_olecontrol

namespace {

// Stores the result converted to vtRet; false when it cannot be converted.
bool StoreResult(VARIANT& result, VARTYPE vtRet, void* pvRet) {
  if (vtRet == VT_EMPTY || !pvRet) return true;
  if (vtRet == VT_VARIANT) {
    // Handed over as it is; the caller owns it now.
    *static_cast<VARIANT*>(pvRet) = result;
    VariantInit(&result);
    return true;
  }
  if (vtRet == VT_BSTR) return afx_event::TextFromVariant(result, *static_cast<CString*>(pvRet));
  if (FAILED(VariantChangeType(&result, &result, 0, vtRet))) return false;
  switch (vtRet) {
    case VT_I2:
      *static_cast<SHORT*>(pvRet) = result.iVal;
      break;
    case VT_UI2:
      *static_cast<USHORT*>(pvRet) = result.uiVal;
      break;
    case VT_I4:
      *static_cast<LONG*>(pvRet) = result.lVal;
      break;
    case VT_UI4:
      *static_cast<ULONG*>(pvRet) = result.ulVal;
      break;
    case VT_UI1:
      *static_cast<BYTE*>(pvRet) = result.bVal;
      break;
    case VT_BOOL:
      *static_cast<BOOL*>(pvRet) = result.boolVal != VARIANT_FALSE;
      break;
    case VT_R4:
      *static_cast<float*>(pvRet) = result.fltVal;
      break;
    case VT_R8:
      *static_cast<double*>(pvRet) = result.dblVal;
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      // The caller owns the reference.
      *static_cast<IUnknown**>(pvRet) = result.punkVal;
      if (result.punkVal) result.punkVal->AddRef();
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace

namespace afx_olecontrol {

HRESULT InvokeV(IDispatch* pDispatch, DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo,
                va_list argList) {
  ClearResult(vtRet, pvRet);
  if (!pDispatch) return E_NOINTERFACE;
  InvokeArgs args;
  if (!ReadArgs(pbParamInfo, argList, args)) return DISP_E_BADVARTYPE;
  std::vector<VARIANT> reversed(args.All().rbegin(), args.All().rend());
  DISPPARAMS params = {};
  params.cArgs = static_cast<UINT>(reversed.size());
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  DISPID putId = DISPID_PROPERTYPUT;
  if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.cNamedArgs = 1;
    params.rgdispidNamedArgs = &putId;
  }
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO excep = {};
  UINT argErr = 0;
  HRESULT hr = pDispatch->Invoke(dwDispID, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params,
                                 vtRet == VT_EMPTY ? nullptr : &result, &excep, &argErr);
  // The exception's texts are the caller's to free.
  const UniqueBstr source(excep.bstrSource);
  const UniqueBstr description(excep.bstrDescription);
  const UniqueBstr helpFile(excep.bstrHelpFile);
  if (SUCCEEDED(hr) && !StoreResult(result, vtRet, pvRet)) {
    ClearResult(vtRet, pvRet);
    hr = DISP_E_TYPEMISMATCH;
  }
  VariantClear(&result);
  return hr;
}

}  // namespace afx_olecontrol
