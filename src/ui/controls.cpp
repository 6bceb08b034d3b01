#include "ui/controls.h"

#include <iterator>

namespace ui {

namespace {

constexpr Colour kWhite = 0x00FFFFFF;
constexpr Colour kCyan = 0x00FFFF00;
constexpr Colour kLightGrey = 0x00ECECEC;
constexpr FontSpec kDefaultGui{};
constexpr FontSpec kYaHei(int height, int weight = 400) { return {height, weight, "微软雅黑"}; }

using enum Control;
using enum Kind;

constexpr ControlSpec kControls[] = {
    {超级按钮3, SuperBtn, 553, 0, 32, 32, true, true, false, "↓", {12, 400, ""}, 0, Alignment::centred, Effect::none, "手工下载"},
    {超级按钮2, SuperBtn, 585, 0, 32, 32, true, true, false, "－", {16, 400, ""}, 0, Alignment::centred, Effect::none, ""},
    {超级按钮1, SuperBtn, 618, 0, 32, 32, true, true, false, "×", {16, 400, ""}, 0, Alignment::centred, Effect::none, ""},
    {透明标签3, TransLabel, 13, 4, 251, 24, true, true, false, "在线更新器", kDefaultGui, kWhite, Alignment::left, Effect::none, ""},
    {透明标签2, TransLabel, 24, 193, 608, 23, true, true, false, "专注装修，面面俱到，心有所思，无所不能！", kYaHei(14), kWhite, Alignment::centred, Effect::none, ""},
    {标签_下载进度, TransLabel, 24, 136, 600, 43, true, true, false, "版本检测中，客官请稍后...", kYaHei(29, 700), kCyan, Alignment::centred, Effect::black_shadow, ""},
    {标签_文件大小, TransLabel, 11, 395, 165, 24, true, true, false, " ", kYaHei(12), kLightGrey, Alignment::left, Effect::none, ""},
    {标签_下载速度, TransLabel, 498, 395, 144, 24, true, true, false, " ", kYaHei(12), kLightGrey, Alignment::right, Effect::none, ""},
    {按钮2, SuperBtn, 590, 424, 60, 26, true, false, true, "开始更新", kDefaultGui, 0, Alignment::centred, Effect::none, ""},
    {进度条1, ProcessBar, 0, 424, 590, 26, true, true, false, "", kDefaultGui, 0, Alignment::left, Effect::none, ""},
    {标签8, Label, 72, 88, 113, 16, false, true, false, "所用时间:0秒", kDefaultGui, 0, Alignment::left, Effect::none, ""},
};

constexpr bool in_enum_order() {
  for (int i = 0; i < static_cast<int>(std::size(kControls)); ++i) {
    if (static_cast<int>(kControls[i].id) != i) return false;
  }
  return true;
}
static_assert(in_enum_order(), "spec_of indexes the table by the control's name");

}  // namespace

std::span<const ControlSpec> control_table() { return kControls; }

const ControlSpec& spec_of(Control control) { return kControls[static_cast<int>(control)]; }

}  // namespace ui
