#pragma once
// Portable (no <windows.h>): the layout arithmetic in app/logic uses it too.
// Lengths kept in 96-DPI units (settings, templates, the program's own constants) and their
// size on a screen of another resolution. Stored values never change with the screen: they
// are scaled when they are used.
namespace vantrel {

constexpr unsigned kDefaultDpi = 96;

// `length` 96-DPI pixels at `dpi`, rounded to the nearest pixel (halves away from zero, as
// MulDiv does); a dpi of 0 counts as 96.
constexpr int ScaleForDpi(int length, unsigned dpi) {
  if (dpi == 0) dpi = kDefaultDpi;
  const long long scaled = static_cast<long long>(length) * static_cast<long long>(dpi);
  const long long half = kDefaultDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kDefaultDpi : -((-scaled + half) / kDefaultDpi));
}

// The other way: `length` pixels at `dpi` in 96-DPI units, rounded the same way.
constexpr int UnscaleFromDpi(int length, unsigned dpi) {
  if (dpi == 0) dpi = kDefaultDpi;
  const long long scaled = static_cast<long long>(length) * static_cast<long long>(kDefaultDpi);
  const long long half = dpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / dpi : -((-scaled + half) / dpi));
}

// The width of a one-pixel line at `dpi`: whole pixels only, so that lines stay sharp
// (1 below 192 DPI, 2 from 192, 3 from 288).
constexpr int LineWidthForDpi(unsigned dpi) { return dpi >= 2 * kDefaultDpi ? static_cast<int>(dpi / kDefaultDpi) : 1; }

}  // namespace vantrel
