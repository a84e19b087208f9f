// The reference-counting base of ZavrelCom's components and their creation.
//
// A component class derives from CComponentT<Interface, Class>, which
// implements IUnknownEx's three operations once for all of them and adds the
// virtual destructor after the interface's slots:
//
//   class CGameRankManager : public CComponentT<IGameRankManager, CGameRankManager> {
//    public:
//     static constexpr const GUID* kAnswers[] = {&IID_IUnknownEx, &IID_IGameRankManager};
//     ...
//   };
//
// kAnswers is the class's query answer table: the identifiers it answers,
// each with the one interface pointer of the object. The chain stays single
// (IUnknownEx -> interface -> base -> class), so the interface pointer is the
// object pointer unless the class puts another base first.
//
// The count is a plain 32-bit signed field starting at 0 (components are
// used on one thread). Components are never copied.
#pragma once

#include <cstring>
#include <new>

#include "afx/afx_port.h"
#include "base/com_object.h"
#include "zavrelcom/server/unknown_ex.h"

// Identifiers are compared as 16 raw bytes.
inline bool SameGuid(const GUID& a, const GUID& b) { return IsSameInterfaceId(a, b); }

template <class Interface, class Class>
class CComponentT : public Interface {
 public:
  CComponentT() = default;
  CComponentT(const CComponentT&) = delete;
  CComponentT& operator=(const CComponentT&) = delete;

  ULONG AddRef() override { return ComAddRef(m_nRefCount); }

  ULONG Release() override {
    return ComRelease(m_nRefCount, [this] { delete this; });  // through the virtual destructor
  }

  HRESULT QueryInterface(const GUID& iid, void** out) override {
    return ComAnswerWith(out, ComListsId(iid, Class::kAnswers) ? static_cast<Interface*>(this) : nullptr);
  }

  virtual ~CComponentT() = default;

 private:
  LONG m_nRefCount = 0;
};

// A reference held for the length of a call that reaches the host (a
// notification, a message to its windows): a host that releases the
// component there does not destroy it under the call. The guard's release
// may be the last; nothing of the component may be touched after it.
class CallReference {
 public:
  explicit CallReference(IUnknownEx* object) : m_object(object) { m_object->AddRef(); }
  CallReference(const CallReference&) = delete;
  CallReference& operator=(const CallReference&) = delete;
  ~CallReference() { m_object->Release(); }

 private:
  IUnknownEx* m_object;
};

// Creates a Class and queries it for iid into *out: E_OUTOFMEMORY when the
// object cannot be made (*out untouched); on a failed query the object is
// destroyed at once (its count is still 0) and the query's result answered.
// On success the caller holds the only reference.
template <class Class>
HRESULT CreateComponent(const GUID& iid, void** out) {
  Class* object = nullptr;
  try {
    object = new (std::nothrow) Class;
  } catch (...) {  // a member that cannot be made
    object = nullptr;
  }
  if (!object) return E_OUTOFMEMORY;
  const HRESULT hr = object->QueryInterface(iid, out);
  if (FAILED(hr)) delete object;
  return hr;
}
