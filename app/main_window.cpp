// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include "presenters/control_names.h"

namespace morvane::app {

namespace n = names;
using namespace ui;
using enum ControlKind;

const std::string_view kMainCaption =
    "Morvane  v2.30【绿色版】                   by柯望舒 墨舟书苑技术论坛支持";

const std::string_view kHelpText =
    "说明：请点击“打开文件”载入需要切割的文本文件，文件的内容将显示在本区域中；\r\n"
    "然后输入每个文本的字节数，并选择切割后文件的保存位置，最后点击“分割”即可。\r\n"
    "\r\n"
    "本软件由墨舟书苑（www.mozhou.example）全力支持，\r\n"
    "技术论坛：bbs.mozhou.example\r\n"
    "\r\n"
    "这是Morvane v2.30版，完全重新编写，2010年9月28日。\r\n"
    "\r\n"
    "主要功能：\r\n"
    "1、简单文件切割：可对文本进行简单编辑，如去空格、去换行符、去TAB键以及自行修改，"
    "适合小文件。\r\n"
    "2、普通文本切割：操作简单，适合大文件，1M以上的文件最好用它来切割。\r\n"
    "3、章节切割：按文本文件中的章节进行切割。\r\n"
    "4、文本合并：可将2至5个文本文件合并为一个文件。\r\n"
    "\r\n"
    "下一版本v2.31正在筹划中，欢迎您提出宝贵的意见和建议：请发邮件至\r\n"
    "kws@mozhou.example，或到作者博客blog.mozhou.example/kws留言。\r\n"
    "提出建设性意见的朋友，可优先试用新版本。\r\n"
    "使用中如遇到问题，欢迎到技术论坛发帖，我们会尽快答复。\r\n"
    "温馨提示：切割或合并之前，请先备份好原文件。\r\n"
    "\r\n"
    "感谢广大网友一直以来的关心和支持！祝各位朋友国庆节、中秋节双节快乐，阖家幸福！\r\n"
    "\r\n"
    "作者：柯望舒\r\n"
    "E-mail：kws@mozhou.example\r\n"
    "博客：blog.mozhou.example/kws\r\n"
    "论坛：bbs.mozhou.example\r\n"
    "主页：www.mozhou.example";

namespace {

// The sponsor's pages are not shown: each view is a small local page, and nothing is
// fetched from the network.
constexpr std::string_view kAnnouncementPage =
    "<span style='color:#555'>墨舟书苑公告：Morvane v2.30 离线运行，不访问网络。"
    "好书推荐请访问 www.mozhou.example</span>";
constexpr std::string_view kSitePage =
    "<h3>墨舟书苑 · 文本小说下载</h3>"
    "<p>好看的小说、手打小说、全文字小说、TXT小说下载，尽在墨舟书苑。</p>"
    "<p>网址：www.mozhou.example<br>手机阅读：wap.mozhou.example</p>"
    "<p style='color:#777'>本页为程序自带的说明页；请用浏览器访问网站。</p>";
constexpr std::string_view kSuggestionPage =
    "<h3>建议征集</h3>"
    "<p>Morvane 下一版本 v2.31 正在筹划中，欢迎提出您的意见和建议：</p>"
    "<p>论坛：bbs.mozhou.example<br>邮件：kws@mozhou.example<br>"
    "博客：blog.mozhou.example/kws</p>"
    "<p style='color:#777'>本页为程序自带的说明页；请用浏览器访问论坛。</p>";

constexpr FileFilter kTxtFilter[] = {{"txt文本", "*.txt"}};
// The encoding lists: 自动 (detection) first, then every encoding by its label.
constexpr std::string_view kEncodingItems[] = {"自动",     "GBK",      "GB18030", "UTF-8",
                                               "UTF-16LE", "UTF-16BE", "Big5"};
constexpr std::string_view kMergedEncodingItems[] = {
    "与第一个文件相同", "GBK", "GB18030", "UTF-8", "UTF-16LE", "UTF-16BE", "Big5"};
constexpr std::string_view kMergeCounts[] = {"2", "3", "4", "5"};
constexpr std::string_view kInitialFolder = "E:\\0txt\\71622_f\\";

constexpr Font kSimSun12{"SimSun", 12};
constexpr Font kSimSun16{"SimSun", 16};
constexpr Font kSimSun12Bold{"SimSun", 12, true};
constexpr Font kSimSun16Bold{"SimSun", 16, true};
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kGreen = 0x00FF00;

constexpr std::string_view kWindow{};  // the window's client area

// Files dropped on a page open as if chosen in its dialog (the merge page fills its rows);
// a folder dropped on the save-location box becomes the save location.
constexpr Drop kOneFile{DropKind::kFiles, 1};
constexpr Drop kFiveFiles{DropKind::kFiles, 5};
constexpr Drop kOneFolder{DropKind::kFolder, 1};

// clang-format off
const ControlRow kControls[] = {
  // Top strip.
  // name                        kind               parent   x    y    w    h    initial text        at start  look
  {n::kSaveLocationButton,       kButton,           kWindow, {32,  7,  72,  20}, "保存位置",         kShown},
  {n::kSaveLocationBox,          kEdit,             kWindow, {112, 8,  192, 16}, "",                 kShown,  {kReadOnly}, {}, kOneFolder},
  {kPrefixCaption,               kTransparentLabel, kWindow, {316, 7,  68,  16}, "文件名前缀",       kShown},
  {n::kPrefixBox,                kEdit,             kWindow, {392, 8,  192, 16}, "Morvane",          kShown},
  {kAnnouncementView,            kWebView,          kWindow, {16,  33, 664, 24}, kAnnouncementPage,  kShown},
  {kPageTabs,                    kTabControl,       kWindow, {16,  62, 664, 400}, "",                kShown,  {kNoFlags, kSimSun12}},
  {kCreditLine,                  kLabel,            kWindow, {248, 470, 432, 16},
      "by 柯望舒               墨舟书苑技术论坛支持                2010.09.28",               kShown},

  // The five pages, in tab order; the second is shown at start.
  {n::kCutPage,                     kTabPage,          kPageTabs, {},               "切割",             kShown,  {}, {}, kOneFile},
  {n::kSimpleCutPage,               kTabPage,          kPageTabs, {},               "简单切割",         kShown,  {kSelected}, {}, kOneFile},
  {n::kMergePage,                   kTabPage,          kPageTabs, {},               "文本合并",         kShown,  {}, {}, kFiveFiles},
  {kDownloadsPage,               kTabPage,          kPageTabs, {},               "文本小说下载",     kShown},
  {kSuggestionsPage,             kTabPage,          kPageTabs, {},               "建议征集",         kShown},

  // Page 1, "切割": normal cut and chapter cut.
  {kNormalCutFrame,              kGroupBox,         n::kCutPage,        {29,  38,  592, 184}, "普通切割", kShown, {kNoFlags, kSimSun16, kBlue}},
  {n::kNormalOpenButton,         kButton,           kNormalCutFrame, {15,  26,  56,  16},  "打开文件", kShown},
  {n::kNormalPathBox,            kEdit,             kNormalCutFrame, {88,  26,  432, 16},  "",         kShown},
  {"标签6",                      kLabel,            kNormalCutFrame, {20,  51,  64,  16},  "文件大小：", kShown},
  {n::kNormalSizeLabel,          kLabel,            kNormalCutFrame, {96,  51,  120, 16},  "0 K",      kShown, {kCentred}},
  {"标签8",                      kLabel,            kNormalCutFrame, {256, 51,  72,  16},  "切割大小(K):", kShown},
  {n::kCutSizeBox,               kEdit,             kNormalCutFrame, {331, 51,  64,  16},  "200",      kShown, {kCentred}},
  {n::kNormalRadio,              kRadio,            kNormalCutFrame, {24,  93,  88,  16},  "普通切割", kShown, {kChecked}},
  {n::kChapterRadio,             kRadio,            kNormalCutFrame, {112, 95,  80,  16},  "章节切割", kShown},
  {n::kNormalCutButton,          kButton,           kNormalCutFrame, {240, 96,  56,  16},  "切割",     kShown},
  {n::kChapterSearchButton,      kButton,           kNormalCutFrame, {336, 96,  56,  16},  "搜寻",     kHidden},
  {n::kChapterCutButton,         kButton,           kNormalCutFrame, {424, 96,  56,  16},  "切割",     kHidden},
  {n::kChapterMapButton,         kButton,           kNormalCutFrame, {512, 96,  56,  16},  "章节目录", kHidden},
  {n::kEpubButton,               kButton,           kNormalCutFrame, {512, 120, 64,  16},  "生成EPUB", kHidden},
  {n::kNormalCleanButton,        kButton,           kNormalCutFrame, {15,  140, 56,  16},  "清理…",    kShown},
  {n::kConvertEpubButton,        kButton,           kNormalCutFrame, {88,  140, 72,  16},  "转换为EPUB", kShown},
  {n::kBatchButton,              kButton,           kNormalCutFrame, {168, 140, 56,  16},  "批量…",    kShown},
  FileDialogRow(n::kNormalDialog, kNormalCutFrame, kTxtFilter, kNoFlags, kInitialFolder),
  {kNormalEncodingCaption,       kLabel,            kNormalCutFrame, {410, 51,  60,  16},  "文件编码：", kShown},
  DropDownRow(n::kNormalEncodingList, kNormalCutFrame, {470, 49,  112, 160}, kEncodingItems),
  {kCounterView,                 kWebView,          n::kCutPage,        {27,  232, 592, 144}, "",         kHidden},

  // Page 2, "简单切割": simple cut.
  {n::kSimpleText,               kEdit,             n::kSimpleCutPage,  {9,   30,  520, 312}, kHelpText,  kShown, {kMultiLine | kSunken}},
  {kFunctionFrame,               kGroupBox,         n::kSimpleCutPage,  {549, 33,  104, 304}, "功能区域", kShown},
  {n::kSimpleOpenButton,         kButton,           kFunctionFrame,  {18,  21,  56,  16},  "打开文件", kShown},
  {n::kRemoveSpacesButton,       kButton,           kFunctionFrame,  {18,  47,  56,  16},  "去 空 格", kShown},
  {n::kRemoveLineBreaksButton,   kButton,           kFunctionFrame,  {18,  72,  56,  16},  "去换行符", kShown},
  {n::kRemoveTabsButton,         kButton,           kFunctionFrame,  {18,  96,  56,  16},  "去 TAB键", kShown},
  {n::kSimpleCutButton,          kButton,           kFunctionFrame,  {18,  120, 56,  16},  "切    割", kShown},
  {n::kSimpleClearButton,        kButton,           kFunctionFrame,  {18,  142, 56,  16},  "清    空", kShown},
  {n::kSimpleCleanButton,        kButton,           kFunctionFrame,  {18,  166, 56,  16},  "清理…",    kShown},
  {kCountFrame,                  kGroupBox,         n::kSimpleCutPage,  {13,  350, 184, 40},  "字数统计", kShown},
  {n::kSimpleSizeLabel,          kLabel,            kCountFrame,     {16,  16,  152, 16},  "0字节",    kShown, {kNoFlags, {}, kRed}},
  {kCutModeFrame,                kGroupBox,         n::kSimpleCutPage,  {213, 350, 334, 40},  "切割方式", kShown},
  {"标签2",                      kLabel,            kCutModeFrame,   {7,   16,  96,  16},  "每个文本字节数：", kShown},
  {n::kSimplePieceBytesBox,      kEdit,             kCutModeFrame,   {103, 15,  64,  16},  "500",      kShown, {kSunken}},
  {"标签3",                      kLabel,            kCutModeFrame,   {172, 16,  50,  16},  "可切割为", kShown},
  {n::kSimpleCountLabel,         kLabel,            kCutModeFrame,   {221, 16,  72,  16},  "0",        kShown, {kCentred, {}, kNoColour, kGreen}},
  {"标签5",                      kLabel,            kCutModeFrame,   {296, 16,  36,  16},  "个文件",   kShown},
  {kSimpleEncodingCaption,       kLabel,            n::kSimpleCutPage,  {553, 342, 100, 16},  "文件编码：", kShown},
  DropDownRow(n::kSimpleEncodingList, n::kSimpleCutPage, {549, 360, 110, 160}, kEncodingItems),
  FileDialogRow(n::kSimpleDialog, n::kSimpleCutPage, kTxtFilter, kNoFlags, kInitialFolder),

  // Page 3, "文本合并": merge. Rows 1 to 5 at y 72, 92, 112, 132, 152. The rows' encoding
  // lists are given a height of 18, below that of a list, so that rows 20 apart keep a gap.
  {kMergeFrame,                  kGroupBox,         n::kMergePage,      {29,  38,  600, 320}, "",         kShown, {kNoCaption}},
  {kMergePrompt,                 kLabel,            kMergeFrame,     {24,  24,  192, 24},  "请选择您要合并文本文件的个数:", kShown, {kNoFlags, kSimSun12Bold}},
  DropDownRow(n::kMergeCountList, kMergeFrame, {222, 24,  72,  88}, kMergeCounts),
  {n::kMergeRowLabel[1],         kLabel,            kMergeFrame,     {24,  72,  72,  16},  "第一个文件:", kShown},
  {n::kMergePathBox[1],          kEdit,             kMergeFrame,     {96,  72,  260, 16},  "",         kShown, {kReadOnly}},
  {n::kMergeOpenButton[1],       kButton,           kMergeFrame,     {376, 72,  96,  16},  "打开文件", kShown},
  {n::kMergeRowLabel[2],         kLabel,            kMergeFrame,     {24,  92,  72,  16},  "第二个文件:", kShown},
  {n::kMergePathBox[2],          kEdit,             kMergeFrame,     {96,  92,  260, 16},  "",         kShown, {kReadOnly}},
  {n::kMergeOpenButton[2],       kButton,           kMergeFrame,     {376, 92,  96,  16},  "打开文件", kShown},
  {n::kMergeRowLabel[3],         kLabel,            kMergeFrame,     {24,  112, 72,  16},  "第三个文件:", kHidden},
  {n::kMergePathBox[3],          kEdit,             kMergeFrame,     {96,  112, 260, 16},  "",         kHidden, {kReadOnly}},
  {n::kMergeOpenButton[3],       kButton,           kMergeFrame,     {376, 112, 96,  16},  "打开文件", kHidden},
  {n::kMergeRowLabel[4],         kLabel,            kMergeFrame,     {24,  132, 72,  16},  "第四个文件:", kHidden},
  {n::kMergePathBox[4],          kEdit,             kMergeFrame,     {96,  132, 260, 16},  "",         kHidden, {kReadOnly}},
  {n::kMergeOpenButton[4],       kButton,           kMergeFrame,     {376, 132, 96,  16},  "打开文件", kHidden},
  {n::kMergeRowLabel[5],         kLabel,            kMergeFrame,     {24,  152, 72,  16},  "第五个文件:", kHidden},
  {n::kMergePathBox[5],          kEdit,             kMergeFrame,     {96,  152, 260, 16},  "",         kHidden, {kReadOnly}},
  {n::kMergeOpenButton[5],       kButton,           kMergeFrame,     {376, 152, 96,  16},  "打开文件", kHidden},
  {kMergeEncodingCaption,        kLabel,            kMergeFrame,     {480, 52,  112, 16},  "文件编码", kShown},
  DropDownRow(n::kMergeEncodingList[1], kMergeFrame, {480, 71,  112, 18}, kEncodingItems),
  DropDownRow(n::kMergeEncodingList[2], kMergeFrame, {480, 91,  112, 18}, kEncodingItems),
  DropDownRow(n::kMergeEncodingList[3], kMergeFrame, {480, 111, 112, 18}, kEncodingItems, kHidden),
  DropDownRow(n::kMergeEncodingList[4], kMergeFrame, {480, 131, 112, 18}, kEncodingItems, kHidden),
  DropDownRow(n::kMergeEncodingList[5], kMergeFrame, {480, 151, 112, 18}, kEncodingItems, kHidden),
  {n::kMergeButton,              kButton,           kMergeFrame,     {128, 208, 144, 24},  "合并文件", kShown, {kNoFlags, kSimSun16Bold}},
  {kMergedEncodingCaption,       kLabel,            kMergeFrame,     {296, 212, 84,  16},  "合并后编码：", kShown},
  DropDownRow(n::kMergedEncodingList, kMergeFrame, {380, 210, 140, 160}, kMergedEncodingItems),
  FileDialogRow(n::kMergeDialog, kMergeFrame, kTxtFilter, kNoFlags, kInitialFolder),

  // Page 4, "文本小说下载", and page 5, "建议征集".
  {kSiteView,                    kWebView,          kDownloadsPage,   {8, 30, 648, 360},   kSitePage,       kShown},
  {kSuggestionView,              kWebView,          kSuggestionsPage, {8, 30, 648, 360},   kSuggestionPage, kShown},
};
// clang-format on

}  // namespace

std::span<const ControlRow> MainWindowControls() {
  return kControls;
}

WindowDescription MainWindowDescription() {
  return {
      .name = names::kMainWindow,
      .caption = kMainCaption,
      .outerWidth = 709,
      .outerHeight = 529,
      .frame = Frame::kMain,
      .icon = WindowIcon::kProgram,
      .controls = kControls,
  };
}

}  // namespace morvane::app
