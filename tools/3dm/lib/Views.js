'use strict';
// The model views and named views, the earth anchor point and the sun in the document format.

const { clamp } = require('./Tables');

const finite = (v) => Array.isArray(v) && v.length >= 3 && v.slice(0, 3).every(Number.isFinite);
const length = (v) => Math.hypot(v[0], v[1], v[2]);
const cross = (a, b) => [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]];

/**
 * A view from the reader's viewport, or null when its camera or frustum cannot make one. The
 * frustum is centred on the viewing direction with the viewport's width and height; near and far
 * are made 0 < near < far.
 */
function convertViewport(name, viewport) {
  const location = Array.from(viewport.cameraLocation || []);
  const direction = Array.from(viewport.cameraDirection || []);
  const up = Array.from(viewport.cameraUp || []);
  const frustum = viewport.getFrustum();
  if (!finite(location) || !finite(direction) || !(length(direction) > 0) || !frustum) return null;
  const width = frustum.right - frustum.left;
  const height = frustum.top - frustum.bottom;
  if (!(width > 0 && height > 0 && Number.isFinite(width) && Number.isFinite(height))) return null;
  let near = frustum.near;
  let far = frustum.far;
  if (!(far > 0 && Number.isFinite(far))) far = 1000;
  if (!(near > 0 && near < far)) near = far / 1000;
  const result = { name, projection: viewport.isParallelProjection ? 'parallel' : 'perspective' };
  result.location = location.slice(0, 3);
  result.direction = direction.slice(0, 3);
  if (finite(up) && length(cross(up, direction)) > 1e-12 * length(up) * length(direction))
    result.up = up.slice(0, 3);
  Object.assign(result, { width, height, near, far });
  return result;
}

/** The model views in the file's order, then the named views. */
function convertViews(model) {
  const result = [];
  for (const table of [model.views(), model.namedViews()])
    for (let i = 0; i < table.count; ++i) {
      const view = table.get(i);
      const converted = convertViewport(view.name || '', view.getViewport());
      if (converted) result.push(converted);
    }
  return result;
}

/** The earth anchor point; latitude and longitude only where the file placed the model. */
function convertEarthAnchor(settings) {
  const anchor = settings.earthAnchorPoint;
  if (!anchor) return null;
  const result = {};
  if (anchor.name) result.name = anchor.name;
  if (anchor.earthLocationIsSet()) {
    result.latitude = clamp(anchor.earthBasepointLatitude, -90, 90, 0);
    result.longitude = clamp(anchor.earthBasepointLongitude, -180, 180, 0);
  }
  const north = anchor.modelNorth;
  const northward = finite(north) && Math.hypot(north[0], north[1]) > 0;
  if (northward && !(north[0] === 0 && north[1] > 0)) result.north = [north[0], north[1]];
  return Object.keys(result).length > 0 ? result : null;
}

function validDate(year, month, day) {
  if (!Number.isInteger(year) || !Number.isInteger(month) || !Number.isInteger(day)) return false;
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const days = new Date(Date.UTC(2000, month, 0)).getUTCDate(); // leap year: 29 in February
  const leap = (year % 4 === 0 && year % 100 !== 0) || year % 400 === 0;
  return day <= (month === 2 && !leap ? 28 : days);
}

/**
 * The document sun. Its date and time only while it is on: the reader gives today's date for a
 * file that never set one, and a sun that is off does not use it.
 */
function convertSun(settings) {
  const render = settings.renderSettings();
  const sun = render && render.sun;
  if (!sun) return null;
  const result = { on: !!sun.enableOn };
  result.north = clamp(sun.north, -1e6, 1e6, 90);
  result.latitude = clamp(sun.latitude, -90, 90, 0);
  result.longitude = clamp(sun.longitude, -180, 180, 0);
  if (result.on) {
    result.time_zone = clamp(sun.timeZone, -12, 14, 0);
    result.daylight_saving = !!sun.daylightSavingOn;
    if (validDate(sun.year, sun.month, sun.day))
      result.local_time = { year: sun.year, month: sun.month, day: sun.day, hours: clamp(sun.hours, 0, 24, 12) };
  }
  const skylight = render.skylight;
  if (skylight && Number.isFinite(skylight.shadowIntensity))
    result.skylight_shadow_intensity = clamp(skylight.shadowIntensity, 0, 1, 1);
  return result;
}

module.exports = { convertViews, convertEarthAnchor, convertSun };
