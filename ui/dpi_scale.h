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

}  // namespace vantrel
