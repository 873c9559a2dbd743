// Viewports and their far rectangles, the document's views and the application's active view,
// the earth anchor point and the render kit's document sun.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "rhinoSdk.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct FarRect {
  ON_3dPoint leftBottom, rightBottom, leftTop, rightTop;
};

FarRect farRectOf(const ON_Viewport& vp) {
  FarRect rect;
  EXPECT_TRUE(vp.GetFarRect(rect.leftBottom, rect.rightBottom, rect.leftTop, rect.rightTop));
  return rect;
}

TEST(Viewport, AParallelFarRectangleIsTheFrustumPushedToTheFarPlane) {
  ON_Viewport vp;
  ASSERT_TRUE(vp.SetCameraLocation(ON_3dPoint(0, 0, 10)));
  ASSERT_TRUE(vp.SetCameraDirection(ON_3dVector(0, 0, -5)));  // any length
  ASSERT_TRUE(vp.SetCameraUp(ON_3dVector(0, 1, 0)));
  ASSERT_TRUE(vp.SetFrustum(-15, 15, -20, 20, 1, 30));
  EXPECT_EQ(vp.FrustumWidth(), 30);
  EXPECT_EQ(vp.FrustumHeight(), 40);
  const FarRect rect = farRectOf(vp);
  // Looking down with y up, screen right is +x.
  EXPECT_EQ(rect.leftBottom, ON_3dPoint(-15, -20, -20));
  EXPECT_EQ(rect.rightBottom, ON_3dPoint(15, -20, -20));
  EXPECT_EQ(rect.leftTop, ON_3dPoint(-15, 20, -20));
  EXPECT_EQ(rect.rightTop, ON_3dPoint(15, 20, -20));
}

TEST(Viewport, APerspectiveFarRectangleWidensByFarOverNear) {
  ON_Viewport vp;
  ASSERT_TRUE(vp.SetProjection(ON::perspective_view));
  ASSERT_TRUE(vp.SetCameraLocation(ON_3dPoint(0, 0, 0)));
  ASSERT_TRUE(vp.SetCameraDirection(ON_3dVector(1, 0, 0)));
  ASSERT_TRUE(vp.SetCameraUp(ON_3dVector(0, 0, 1)));
  ASSERT_TRUE(vp.SetFrustum(-1, 1, -0.5, 0.5, 2, 10));
  const FarRect rect = farRectOf(vp);
  // Looking along +x with z up, screen right is -y; the far plane is 5 times the near one.
  EXPECT_EQ(rect.leftBottom, ON_3dPoint(10, 5, -2.5));
  EXPECT_EQ(rect.rightTop, ON_3dPoint(10, -5, 2.5));
  EXPECT_EQ(rect.rightBottom, ON_3dPoint(10, -5, -2.5));
}

TEST(Viewport, AnUpVectorAlongTheDirectionLeavesNoFarRectangle) {
  ON_Viewport vp;
  ASSERT_TRUE(vp.SetCameraUp(ON_3dVector(0, 0, 2)));  // the default direction is (0, 0, -1)
  ON_3dPoint corner(7, 7, 7), unused;
  EXPECT_FALSE(vp.GetFarRect(corner, unused, unused, unused));
  EXPECT_EQ(corner, ON_3dPoint(7, 7, 7));
}

TEST(Viewport, RefusesCamerasAndFrustumsThatCannotBe) {
  ON_Viewport vp;
  EXPECT_FALSE(vp.SetCameraDirection(ON_3dVector(0, 0, 0)));
  EXPECT_FALSE(vp.SetCameraDirection(ON_3dVector(kNaN, 0, 1)));
  EXPECT_FALSE(vp.SetCameraUp(ON_3dVector(0, 0, 0)));
  EXPECT_FALSE(vp.SetCameraLocation(ON_3dPoint(0, std::numeric_limits<double>::infinity(), 0)));
  EXPECT_FALSE(vp.SetFrustum(1, 1, -1, 1, 1, 2));   // no width
  EXPECT_FALSE(vp.SetFrustum(-1, 1, -1, 1, 0, 2));  // near at the eye
  EXPECT_FALSE(vp.SetFrustum(-1, 1, -1, 1, 3, 2));  // far before near
  EXPECT_FALSE(vp.SetProjection(ON::unknown_view));
  EXPECT_EQ(vp.CameraDirection().z, -1);
  EXPECT_EQ(vp.FrustumWidth(), 20);
  EXPECT_TRUE(vp.IsParallelProjection());
}

TEST(Vector, IsParallelToEitherWayWithinTheTolerance) {
  const double degree = M_PI / 180;
  EXPECT_EQ(ON_3dVector(0, 0, -3).IsParallelTo(ON_3dVector::ZAxis, degree), -1);
  EXPECT_EQ(ON_3dVector(0, 0.01, 1).IsParallelTo(ON_3dVector::ZAxis, degree), 1);  // 0.57 degrees
  EXPECT_EQ(ON_3dVector(0, 0.02, 1).IsParallelTo(ON_3dVector::ZAxis, degree), 0);  // 1.15 degrees
  EXPECT_EQ(ON_3dVector(0, 0, 0).IsParallelTo(ON_3dVector::ZAxis, degree), 0);
}

// Views made on a document of their own, so each test starts without an active view.
class DocumentViews : public ::testing::Test {
 protected:
  CRhinoView* addView(const wchar_t* name, bool page = false) {
    const CRhinoViewport viewport(ON_Viewport(), name);
    return doc->AddView(page ? new CRhinoPageView(viewport) : new CRhinoView(viewport));
  }
  std::unique_ptr<CRhinoDoc> doc = std::make_unique<CRhinoDoc>();
};

TEST_F(DocumentViews, ViewListsHoldModelOrPageViewsInTheOrderAdded) {
  CRhinoView* top = addView(L"Top");
  CRhinoView* page = addView(L"Sheet", true);
  CRhinoView* front = addView(L"Front");
  ON_SimpleArray<CRhinoView*> views;
  EXPECT_EQ(doc->GetViewList(views), 2);
  ASSERT_EQ(views.Count(), 2);
  EXPECT_EQ(views[0], top);
  EXPECT_EQ(views[1], front);
  EXPECT_EQ(doc->GetViewList(views, false, true), 1);
  EXPECT_EQ(views[2], page);
  EXPECT_EQ(doc->GetViewList(views, true, true), 3);
  EXPECT_NE(CRhinoPageView::Cast(page), nullptr);
  EXPECT_EQ(CRhinoPageView::Cast(top), nullptr);
}

TEST_F(DocumentViews, EveryViewGetsItsOwnViewportIdUnlessItHasOne) {
  ON_Viewport given;
  const ON_UUID id = ON_UuidFromString("01234567-89AB-4DEF-8123-456789ABCDEF");
  given.SetViewportId(id);
  CRhinoView* kept = doc->AddView(new CRhinoView(CRhinoViewport(given)));
  CRhinoView* first = addView(L"");
  CRhinoView* second = addView(L"");
  EXPECT_EQ(kept->MainViewport().ViewportId(), id);
  EXPECT_FALSE(ON_UuidIsNil(first->MainViewport().ViewportId()));
  EXPECT_NE(first->MainViewport().ViewportId(), second->MainViewport().ViewportId());
}

TEST_F(DocumentViews, TheActiveViewEndsWithItsDocument) {
  CRhinoView* view = addView(L"Top");
  RhinoApp().SetActiveView(view);
  view->Maximize();
  EXPECT_EQ(RhinoApp().ActiveView(), view);
  EXPECT_TRUE(view->IsMaximized());
  doc.reset();
  EXPECT_EQ(RhinoApp().ActiveView(), nullptr);
}

TEST(DocumentSunAndPlace, AreUnplacedAndOffUntilSetAndReadLive) {
  CRhinoDoc doc;
  EXPECT_FALSE(ON_IsValid(doc.Properties().EarthAnchorPoint().m_earth_basepoint_latitude));
  EXPECT_FALSE(ON_IsValid(kNaN));
  EXPECT_TRUE(ON_IsValid(-1e308));
  const CRhRdkDocSun docSun(doc);  // made before the document's sun changes
  EXPECT_FALSE(docSun.Sun().On());
  doc.m_rdk_sun.m_on = true;
  doc.m_rdk_sun.m_hours = 14.75;
  doc.m_rdk_sun.m_skylight_shadow_intensity = 0.3;
  int year = 0, month = 0, day = 0;
  double hours = 0;
  docSun.Sun().LocalDateTime(year, month, day, hours);
  EXPECT_TRUE(docSun.Sun().On());
  EXPECT_EQ(year * 10000 + month * 100 + day, 20140615);
  EXPECT_EQ(hours, 14.75);
  EXPECT_EQ(docSun.SkylightShadowIntensity(), 0.3);
}

}  // namespace
