// Views: the document's model and page views, their viewports and the application's active view.
#include <cassert>

#include "rhinoSdkApp.h"
#include "rhinoSdkDoc.h"

CRhinoView::~CRhinoView() {
  if (RhinoApp().ActiveView() == this) RhinoApp().SetActiveView(nullptr);
}

const CRhinoPageView* CRhinoPageView::Cast(const CRhinoView* view) {
  return dynamic_cast<const CRhinoPageView*>(view);
}

CRhinoViewTable::~CRhinoViewTable() {
  for (int i = 0; i < m_views.Count(); ++i) delete m_views[i];
}

CRhinoView* CRhinoDoc::AddView(CRhinoView* view) {
  assert(view);
  CRhinoViewport& viewport = view->MainViewport();
  if (ON_UuidIsNil(viewport.ViewportId())) {
    ON_Viewport vp = viewport.VP();
    ON_UUID id;
    ON_CreateUuid(id);
    vp.SetViewportId(id);
    viewport.SetVP(vp);
  }
  m_views.m_views.Append(view);
  return view;
}

int CRhinoDoc::GetViewList(ON_SimpleArray<CRhinoView*>& views, bool bModelViews,
                           bool bPageViews) const {
  int appended = 0;
  for (int i = 0; i < m_views.m_views.Count(); ++i) {
    CRhinoView* view = m_views.m_views[i];
    if (CRhinoPageView::Cast(view) != nullptr ? !bPageViews : !bModelViews) continue;
    views.Append(view);
    ++appended;
  }
  return appended;
}
