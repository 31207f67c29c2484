#pragma once
// The look of the preview drawing, shared by the SVG writer and the window so both draw the same thing.

#include <cstdint>

#include "preview/ToolpathPreview.h"

// 0xRRGGBB
inline constexpr std::uint32_t kFaceColour = 0x303030;
inline constexpr std::uint32_t kFaceFill = 0xF3F5F7;
inline constexpr std::uint32_t kSweptColour = 0xC9DDF2;
inline constexpr std::uint32_t kUncutColour = 0xE0301E;  // the corners no round cutter reaches
// Material left inside the face, which the job could have cut: a colour no other part of the drawing uses.
inline constexpr std::uint32_t kUncutInsideColour = 0xD400C8;
inline constexpr double kUncutOpacity = 0.75;
inline constexpr std::uint32_t kFeedColour = 0x1F4E9C;
inline constexpr std::uint32_t kLiftedFeedColour = 0xE08A00;
inline constexpr std::uint32_t kRapidColour = 0x9A2FB0;
inline constexpr std::uint32_t kStartColour = 0x14A33C;
// The machining options: ramp legs, the returns of one-way passes (dashed as rapids), and the part of the
// swept band beyond the face (overcut), paler than the band so that the face's outline stands out.
inline constexpr std::uint32_t kRampColour = 0x00A5A5;
inline constexpr std::uint32_t kReturnColour = 0x8A6D3B;
inline constexpr std::uint32_t kOvercutColour = 0xE6DCC0;
// Stroke widths and the rapid moves' dashes in pixels of the drawing.
inline constexpr double kPathWidth = 1.5;
inline constexpr double kRapidDash = 6, kRapidGap = 4;
inline constexpr double kStartRadius = 5;
// A return runs along the pass just cut: drawn wider and under it, it shows on both sides of the pass.
inline constexpr double kReturnWidth = 4;

[[nodiscard]] inline constexpr std::uint32_t PathColour(TPathStyle style) {
  switch (style) {
    case TPathStyle::psFeed:
      return kFeedColour;
    case TPathStyle::psLiftedFeed:
      return kLiftedFeedColour;
    case TPathStyle::psRapid:
      return kRapidColour;
    case TPathStyle::psRamp:
      return kRampColour;
    case TPathStyle::psReturn:
      return kReturnColour;
  }
  return kRapidColour;
}
