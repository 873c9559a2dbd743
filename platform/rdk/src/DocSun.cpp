// The document sun: the settings the document keeps, read through the render kit's interface.
#include "RhRdkDocSun.h"
#include "rhinoSdkDoc.h"

void CRhRdkSunData::LocalDateTime(int& year, int& month, int& day, double& hours) const {
  year = m_year;
  month = m_month;
  day = m_day;
  hours = m_hours;
}

CRhRdkDocSun::CRhRdkDocSun(const CRhinoDoc& doc) : m_doc(doc) {}

const IRhRdkSun& CRhRdkDocSun::Sun() const {
  return m_doc.m_rdk_sun;
}

double CRhRdkDocSun::SkylightShadowIntensity() const {
  return m_doc.m_rdk_sun.m_skylight_shadow_intensity;
}
