// CAnimatedPicture: the object of AniPic.dll. It loads a picture (every
// frame of an animated GIF) and embeds in an OLE container such as a rich
// edit control: the container sizes it (IOleObject/IViewObject2::GetExtent),
// draws it (IViewObject::Draw, or the current frame's bitmap from
// IDataObject::GetData), and stores it (IPersistStorage: nothing to keep).
// While it has frames to step and a client site, the thread's animation
// clock (animation_clock.h: one timer per container window) steps them and
// the container is told to redraw: its view advise sink, and the rectangle
// of its window where the picture was last drawn. The decoded frames are
// shared with every picture of the same file (picture_frames.h).
// Single-threaded apartment. Windows only.
#pragma once

#include "afx/afx_port.h"

#include <ole2.h>

#include <memory>

#include "base/win_owners.h"
#include "support/anipic/animated_picture.h"
#include "support/anipic/picture_frames.h"

class CAnimatedPicture : public IAnimatedPicture,
                         public IOleObject,
                         public IViewObject2,
                         public IDataObject,
                         public IPersistStorage {
 public:
  CAnimatedPicture();
  CAnimatedPicture(const CAnimatedPicture&) = delete;
  CAnimatedPicture& operator=(const CAnimatedPicture&) = delete;

  // IUnknown (one identity for every interface).
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch: no type information; names "LoadFromFile" (1) and
  // "GetFrameCount" (2) are answered and invoked.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argError) override;

  // IAnimatedPicture.
  HRESULT STDMETHODCALLTYPE LoadFromFile(BSTR path) override;
  HRESULT STDMETHODCALLTYPE GetFrameCount(SHORT* count) override;

  // IOleObject.
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
  HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD which, IMoniker* moniker) override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD reserved, IDataObject** data) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent,
                                   LPCRECT rect) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
  HRESULT STDMETHODCALLTYPE Update() override;
  HRESULT STDMETHODCALLTYPE IsUpToDate() override;
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* palette) override;

  // IViewObject2.
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDC,
                                 HDC drawDC, LPCRECTL bounds, LPCRECTL window, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                                 ULONG_PTR contValue) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                                        HDC targetDC, LOGPALETTE** colors) override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD freeze) override;
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

  // IDataObject: the current frame as CF_BITMAP/TYMED_GDI (a copy owned by
  // the caller).
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) override;

  // IPersistStorage: the picture is not stored with the container.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) override;
  HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE HandsOffStorage() override;

  // The frame shown now (tests and the clock).
  int GetCurrentFrame() const { return m_nFrame; }
  // Steps to the next frame and tells the container.
  void StepFrame();

  // For the animation clock. When the next frame is due (GetTickCount).
  DWORD NextFrameDue() const { return m_dwNextDue; }
  // Steps every frame due by now; true when the frame shown changed (the
  // view advise sink has been told).
  bool AdvanceFrames(DWORD now);
  // Whether the container is a rich edit control, and its scroll position
  // in pixels (where pictures drawn before a scroll stand now).
  bool InRichEdit() const { return m_bRichEdit; }
  POINT ContainerScroll() const;
  // Where the picture shows in the container's client area now, given the
  // container's scroll position: Rect (*area), Whole (drawn only into other
  // device contexts: the whole window), None (never drawn).
  enum class Area { None, Rect, Whole };
  Area DirtyArea(POINT scroll, RECT* area) const;
  // Draws the current frame into rect of the container's DC.
  bool DrawCurrentFrame(HDC dc, const RECT& rect) const;
  // Takes the frame and timing of other when it shows the same decoded
  // file; whether it did.
  bool FollowSameFile(const CAnimatedPicture& other);

 private:
  virtual ~CAnimatedPicture();
  // Runs the animation while there is more than one frame and a client
  // site.
  void UpdateAnimation();
  void StopAnimation();
  void NotifyView();
  SIZEL ExtentHimetric() const;
  int FrameCount() const { return m_frames ? m_frames->GetCount() : 0; }

  LONG m_nRefCount = 1;
  std::shared_ptr<const PictureFrames> m_frames;
  int m_nFrame = 0;
  UniqueComPtr<IOleClientSite> m_pClientSite;
  UniqueComPtr<IAdviseSink> m_pViewSink;
  DWORD m_dwViewAspects = 0;
  // The animation: joined to the clock, the container window, when the
  // next frame is due, and where the picture was last drawn in it (client
  // coordinates, at scroll position m_drawnScroll).
  bool m_bAnimating = false;
  HWND m_container = nullptr;
  bool m_bRichEdit = false;
  DWORD m_dwNextDue = 0;
  bool m_bDrawn = false;
  bool m_bDrawnElsewhere = false;
  RECT m_drawn = {0, 0, 0, 0};
  POINT m_drawnScroll = {0, 0};
};

// The module's object count and lock count, for DllCanUnloadNow.
void AniPicModuleAddRef();
void AniPicModuleRelease();
HINSTANCE AniPicModuleInstance();
