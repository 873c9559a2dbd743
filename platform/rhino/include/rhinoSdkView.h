// Host views: CRhinoView, one window of the document with its main viewport (CRhinoViewport);
// CRhinoPageView, a page (layout) view. The document owns its views.
#pragma once

#include "../../opennurbs/include/opennurbs.h"

/// What a view shows: a named ON_Viewport.
class RHINO_SDK_CLASS CRhinoViewport {
 public:
  CRhinoViewport() = default;
  explicit CRhinoViewport(const ON_Viewport& vp, const wchar_t* name = L"")
      : m_vp(vp), m_name(name) {}

  const ON_Viewport& VP() const { return m_vp; }
  void SetVP(const ON_Viewport& vp) { m_vp = vp; }
  /// The view's title ("Top", "Perspective"); may be empty.
  const ON_wString& Name() const { return m_name; }
  void SetName(const wchar_t* name) { m_name = name; }
  /// The id of VP(); the document gives one to every view it takes.
  ON_UUID ViewportId() const { return m_vp.ViewportId(); }

 private:
  ON_Viewport m_vp;
  ON_wString m_name;
};

/// A model view. While it is the application's active view, destroying it leaves the
/// application without one.
class RHINO_SDK_CLASS CRhinoView {
 public:
  explicit CRhinoView(const CRhinoViewport& viewport) : m_viewport(viewport) {}
  CRhinoView(const CRhinoView&) = delete;
  CRhinoView& operator=(const CRhinoView&) = delete;
  virtual ~CRhinoView();

  /// The viewport that fills the view.
  CRhinoViewport& MainViewport() { return m_viewport; }
  const CRhinoViewport& MainViewport() const { return m_viewport; }
  /// The viewport the user works in: the main one, as views here hold no others.
  CRhinoViewport& ActiveViewport() { return m_viewport; }

  /// True when the view fills the host's window.
  bool IsMaximized() const { return m_maximized; }
  void Maximize(bool on = true) { m_maximized = on; }

 private:
  CRhinoViewport m_viewport;
  bool m_maximized = false;
};

/// A page (layout) view: a sheet for printing, looked at from above by its main viewport.
class RHINO_SDK_CLASS CRhinoPageView : public CRhinoView {
 public:
  using CRhinoView::CRhinoView;
  /// The view as a page view, or null when it is a model view (or null).
  static const CRhinoPageView* Cast(const CRhinoView* view);
};

/// The document's views in the order they were opened. Owns them.
class RHINO_SDK_CLASS CRhinoViewTable {
 public:
  CRhinoViewTable() = default;
  CRhinoViewTable(const CRhinoViewTable&) = delete;
  CRhinoViewTable& operator=(const CRhinoViewTable&) = delete;
  ~CRhinoViewTable();

 private:
  friend class CRhinoDoc;
  ON_SimpleArray<CRhinoView*> m_views;
};
