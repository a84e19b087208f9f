// The frame of Zavrel's C creation functions.
//
// Makes a Component and answers the requested interface of it. Failures
// travel inside as thrown messages ("创建失败" when no object is made,
// "接口查询失败" when the query is refused) and are all caught here: a made
// object is destroyed through its virtual destructor and null is returned.
// No exception leaves.
#pragma once

#include <new>

#include "afx/afx_port.h"

template <class Component>
void* CreateComponentInterface(const IID& Guid, DWORD dwInterfaceVer) noexcept {
  Component* pComponent = nullptr;
  try {
    pComponent = new (std::nothrow) Component();
    if (!pComponent) throw "创建失败";
    void* pInterface = pComponent->QueryInterface(Guid, dwInterfaceVer);
    if (!pInterface) throw "接口查询失败";
    return pInterface;
  } catch (...) {
    delete pComponent;
    return nullptr;
  }
}
