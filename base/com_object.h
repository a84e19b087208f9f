// Reference counting and the query rule of the project's COM objects,
// written once. Windows only.
//
// An object keeps its own count (a plain or an atomic integer, whichever
// its threading needs) and lists what it answers in a table:
//
//   STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
//     return ComQuery(riid, ppv, {{&IID_IUnknown, static_cast<IOleObject*>(this)},
//                                 {&IID_IOleObject, static_cast<IOleObject*>(this)}});
//   }
//   STDMETHODIMP_(ULONG) AddRef() override { return ComAddRef(m_cRef); }
//   STDMETHODIMP_(ULONG) Release() override { return ComRelease(m_cRef, [this] { delete this; }); }
//
// The first entry whose identifier matches (all 16 bytes) answers with its
// pointer, one reference added through that pointer; an entry whose
// pointer is null is not answered (an interface the object offers only in
// some states). The same pieces serve the IUnknown-shaped roots of other
// modules (ZavrelCom's IUnknownEx): the pointer type is a parameter.
#pragma once

#include "base/win_types.h"

#include <objbase.h>

#include <cstddef>
#include <initializer_list>

#include "base/query_rule.h"

// One answer of an object's table.
template <class Unknown>
struct ComAnswerT {
  const IID* iid;
  Unknown* pointer;  // null: not answered
};
using ComAnswer = ComAnswerT<IUnknown>;

// Adds one reference; the new count.
template <class Count>
ULONG ComAddRef(Count& count) {
  return static_cast<ULONG>(++count);
}

// Drops one reference; at 0 destroy() ends the object (nothing of it is
// touched afterwards). The new count.
template <class Count, class Destroy>
ULONG ComRelease(Count& count, Destroy&& destroy) {
  const auto left = --count;
  if (left == 0) destroy();
  return static_cast<ULONG>(left);
}

// *out = pointer with one reference added, S_OK; for a null pointer
// *out = null and E_NOINTERFACE; E_POINTER, nothing written, for a null out.
template <class Unknown>
HRESULT ComAnswerWith(void** out, Unknown* pointer) {
  if (!out) return E_POINTER;
  *out = pointer;
  if (!pointer) return E_NOINTERFACE;
  pointer->AddRef();
  return S_OK;
}

// The pointer of the first entry that answers iid; null when none does.
template <class Unknown>
Unknown* ComFindAnswer(const IID& iid, const ComAnswerT<Unknown>* answers, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (answers[i].pointer && answers[i].iid && IsSameInterfaceId(*answers[i].iid, iid)) return answers[i].pointer;
  }
  return nullptr;
}

// True when ids (identifiers that all answer with one pointer) holds iid.
template <std::size_t N>
bool ComListsId(const IID& iid, const GUID* const (&ids)[N]) {
  for (const GUID* id : ids) {
    if (id && IsSameInterfaceId(*id, iid)) return true;
  }
  return false;
}

// QueryInterface over a table.
inline HRESULT ComQuery(const IID& iid, void** out, std::initializer_list<ComAnswer> answers) {
  return ComAnswerWith(out, ComFindAnswer(iid, answers.begin(), answers.size()));
}

// Hands a new object (its count at 1, the creator's reference) to a
// caller: queries it for iid into *out and drops the creator's reference,
// so that a failed query ends the object. E_OUTOFMEMORY for a null object.
template <class Object>
HRESULT ComHandOver(Object* object, const IID& iid, void** out) {
  if (!object) {
    if (out) *out = nullptr;
    return out ? E_OUTOFMEMORY : E_POINTER;
  }
  const HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}
