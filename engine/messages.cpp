#include "engine/messages.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "core/gbk.h"
#include "core/numbers.h"
#include "engine/map_file.h"

namespace morvane::messages {
namespace {

// The texts are written in UTF-8 here and turned into GBK once, on first use.
ByteText Gbk(std::string_view utf8) {
  return GbkFromUtf8(utf8);
}

ByteText Decimal(std::int64_t value) {
  return ByteText(std::to_string(value));
}

const ByteText& LineBreak() {
  static const ByteText text("\r\n");
  return text;
}

// The reason for a failure on a line of its own, or nothing.
ByteText ReasonLine(const FileError& error) {
  ByteText reason = Reason(error);
  if (reason.empty()) return ByteText();
  return Concat({LineBreak(), Gbk("原因："), reason});
}

ByteText Shown(const Path& path) {
  return DisplayNameGbk(path);
}

}  // namespace

const ByteText& WarningCaption() {
  static const ByteText text = Gbk("警告！");
  return text;
}
const ByteText& HintCaption() {
  static const ByteText text = Gbk("提示：");
  return text;
}
const ByteText& ChapterSearchCaption() {
  static const ByteText text = Gbk("章节搜寻提示");
  return text;
}

const ByteText& BytesUnit() {
  static const ByteText text = Gbk("字节");
  return text;
}
const ByteText& KilobyteUnit() {
  static const ByteText text(" K");
  return text;
}
const ByteText& MergedSuffix() {
  static const ByteText text = Gbk("已合并.txt");
  return text;
}

const ByteText& ChooseSaveFolderFirst() {
  static const ByteText text = Gbk("请先选择分割文件存放的位置");
  return text;
}
const ByteText& FileToCutIsEmpty() {
  static const ByteText text = Gbk("被分割的文件是空的！！");
  return text;
}
const ByteText& OpenFileToCutFirst() {
  static const ByteText text = Gbk("请先打开您要切割的文件");
  return text;
}
const ByteText& CutFinished() {
  static const ByteText text = Gbk("切割完成！");
  return text;
}
const ByteText& SpacesCleared() {
  static const ByteText text = Gbk("空格已清除完毕");
  return text;
}
const ByteText& LineBreaksCleared() {
  static const ByteText text = Gbk("换行符清除完毕！");
  return text;
}
const ByteText& TabsCleared() {
  static const ByteText text = Gbk("Tab符清除完毕！");
  return text;
}
ByteText ChaptersFound(int count) {
  return Concat({Gbk("已搜寻到"), ToText(count), Gbk("章")});
}
const ByteText& SearchFirst() {
  static const ByteText text = Gbk("请先点击前面搜索按钮！");
  return text;
}
const ByteText& ChapterCutFinished() {
  static const ByteText text = Gbk("切割完毕");
  return text;
}
ByteText OpenMergeFileFirst(int row) {
  return Concat({Gbk("请打开您要合并的第"), ToText(row), Gbk("个文件")});
}
const ByteText& MergeFinished() {
  static const ByteText text = Gbk("合并完毕！");
  return text;
}

const ByteText& Cancelled() {
  static const ByteText text = Gbk("已取消，本次写入的文件已删除。");
  return text;
}

ByteText WritesFailed(std::int64_t failures, const Path& firstPath, const WriteResult& failure) {
  return Concat({Gbk("有"), Decimal(failures), Gbk("个文件没能写入，第一个是："), LineBreak(),
                 Shown(firstPath), ReasonLine(failure.error)});
}

const ByteText& BadPieceBytes() {
  static const ByteText text = Gbk("每个文本字节数不能是负数，请输入正整数（0按1字节计）！");
  return text;
}

const ByteText& BadCutSize() {
  static const ByteText text = Gbk("切割大小必须是1到2097151之间的整数（单位K）！");
  return text;
}

ByteText CannotReadFile(const Path& path, const TextRead& read) {
  switch (read.status) {
    case TextRead::Status::kTooLarge:
      return Concat({Gbk("文件太大，无法打开（最大2147483647字节）："), LineBreak(), Shown(path)});
    case TextRead::Status::kOutOfMemory:
      return Concat({Gbk("内存不足，无法读入文件："), LineBreak(), Shown(path)});
    case TextRead::Status::kCannotRead:
    case TextRead::Status::kCannotOpen:
    case TextRead::Status::kOk:
      break;
  }
  const bool opened = read.error.operation == FileOperation::kRead;
  return Concat({Gbk(opened ? "无法读取文件：" : "无法打开文件："), LineBreak(), Shown(path),
                 ReasonLine(read.error)});
}

ByteText CannotReadFileLine(const Path& path, const TextRead& read) {
  switch (read.status) {
    case TextRead::Status::kTooLarge:
      return Concat({Gbk("文件太大，无法打开（最大2147483647字节）："), Shown(path)});
    case TextRead::Status::kOutOfMemory:
      return Concat({Gbk("内存不足，无法读入文件："), Shown(path)});
    case TextRead::Status::kCannotRead:
    case TextRead::Status::kCannotOpen:
    case TextRead::Status::kOk:
      break;
  }
  const bool opened = read.error.operation == FileOperation::kRead;
  return Concat({Gbk(opened ? "无法读取文件：" : "无法打开文件："), Shown(path), Gbk("，原因："),
                 Reason(read.error)});
}

ByteText LargeTextForSimpleCut(std::int64_t bytes) {
  return Concat({Gbk("这个文件有"), Decimal(bytes >> 20),
                 Gbk(" MB。文本框处理这么大的文本会很慢，也很占内存；大文件请用“切割”页的普通切割，"
                     "它不把文本放进文本框。"),
                 LineBreak(), LineBreak(), Gbk("仍要载入到文本框吗？")});
}

ByteText ReadAgainDropsEdits() {
  return Gbk(
      "文本框中的文字在读入后改动过。按新的编码重新读取文件会丢掉这些改动，"
      "仍要重新读取吗？");
}

ByteText TextEndedEarly(const Path& path, const TextRead& read) {
  const ByteText mark = read.endMark == 0x1A ? ByteText("0x1A") : ByteText("0x00");
  return Concat(
      {Gbk("注意：文本在字节"), mark, Gbk("处提前结束，文件末尾共有"), Decimal(read.bytesLeftOut),
       Gbk("个字节没有读入（文件按"), ByteText(EncodingLabel(read.detected.encoding)),
       Gbk(IsUtf16(read.detected.encoding) ? "读入）："
                                           : "读入；它也许是另一种编码的文本，例如UTF-16）："),
       LineBreak(), Shown(path)});
}

ByteText FolderNotWritable(const Path& folder) {
  return Concat({Gbk("保存位置不存在或不能写入，请重新选择："), LineBreak(), Shown(folder)});
}

ByteText PrefixHasSeparator(const Path& prefix) {
  const char separator[2] = {kPathSeparator, '\0'};
  return Concat({Gbk("文件名前缀不能含有路径分隔符“"), ByteText(separator), Gbk("”："), LineBreak(),
                 Shown(prefix)});
}

ByteText NameTooLong(const Path& name) {
  return Concat({Gbk("文件名太长，无法保存："), LineBreak(), Shown(name)});
}

ByteText DeviceName(const Path& name) {
  return Concat({Gbk("文件名是系统保留的设备名（CON、PRN、AUX、NUL、COM1～9、LPT1～9），"
                     "无法保存，请换一个文件名前缀："),
                 LineBreak(), Shown(name)});
}

ByteText PathTooLong(const Path& path) {
  return Concat(
      {Gbk("保存位置的路径太长，无法保存，请换一个保存位置："), LineBreak(), Shown(path)});
}

ByteText CannotReplaceOutput(const Path& path, int reason) {
  if (reason == EISDIR || reason == EACCES || reason == EPERM) {
    return Concat({Gbk("已有同名的文件夹或只读文件，无法写入，请换一个保存位置或文件名前缀："),
                   LineBreak(), Shown(path)});
  }
  return Concat({Gbk("无法写入这个输出文件，请换一个保存位置或文件名前缀："), LineBreak(),
                 Shown(path), ReasonLine(PosixError(reason, FileOperation::kWrite, path))});
}

ByteText WouldOverwriteInput(const Path& path) {
  return Concat({Gbk("输出文件会覆盖正在处理的文件，请换一个保存位置或文件名前缀："), LineBreak(),
                 Shown(path)});
}

ByteText NameUnrepresentable(std::string_view shown) {
  return Concat(
      {Gbk("文件名含有文件系统不能表示的字符“"), Gbk(shown), Gbk("”，请修改文件名前缀。")});
}

ByteText OutputFolderMoved(const Path& folder) {
  return Concat({Gbk("保存位置在写入过程中被移动、删除或替换，写入已停止。已写好的文件留在原来的"
                     "文件夹中，不在这个路径下："),
                 LineBreak(), Shown(folder)});
}

ByteText InputChanged(const Path& path) {
  return Concat({Gbk("文件在读取时被截短或改动，操作已中止："), LineBreak(), Shown(path)});
}

ByteText Reason(const FileError& error) {
  switch (error.kind()) {
    case ErrorKind::kNone:
      return ByteText();
    case ErrorKind::kNotFound:
      return Gbk("文件或文件夹不存在");
    case ErrorKind::kNoPermission:
      return Gbk("没有权限");
    case ErrorKind::kInUse:
      return Gbk("文件正被其他程序使用");
    case ErrorKind::kReadOnlyFileSystem:
      return Gbk("文件系统是只读的");
    case ErrorKind::kNoSpace:
      return Gbk("磁盘空间不足");
    case ErrorKind::kQuota:
      return Gbk("超出磁盘配额");
    case ErrorKind::kTooManyOpenFiles:
      return Gbk("打开的文件太多");
    case ErrorKind::kTooLarge:
      return Gbk("文件太大");
    case ErrorKind::kNameTooLong:
      return Gbk("文件名或路径太长");
    case ErrorKind::kInputOutput:
      return Gbk("输入输出错误（磁盘读写出错）");
    case ErrorKind::kNotAFolder:
      return Gbk("路径中有一项不是文件夹");
    case ErrorKind::kIsAFolder:
      return Gbk("这是一个文件夹");
    case ErrorKind::kLinkLoop:
      return Gbk("符号链接循环");
    case ErrorKind::kOutOfMemory:
      return Gbk("内存不足");
    case ErrorKind::kNotRegularFile:
      return Gbk("不是普通文件（是设备、管道之类）");
    case ErrorKind::kReplacesKeptFile:
      return Gbk("输出文件会覆盖正在处理的文件");
    case ErrorKind::kInputGone:
      return Gbk("输入文件在读取时被截短");
    case ErrorKind::kCancelled:
      return Gbk("已取消");
    case ErrorKind::kOther:
      break;
  }
  return Concat({Gbk(error.category == ErrorCategory::kWin32 ? "Windows错误代码" : "系统错误代码"),
                 Decimal(error.code)});
}

namespace {

std::string_view RegexProblemWords(RegexProblem problem) {
  switch (problem) {
    case RegexProblem::kEmpty:
      return "空的表达式";
    case RegexProblem::kMismatchedParen:
      return "括号不配对";
    case RegexProblem::kMissingBracket:
      return "方括号不配对（缺少“]”）";
    case RegexProblem::kBadEscape:
      return "反斜杠后的字符不能转义";
    case RegexProblem::kBadProperty:
      return "字符属性（\\p{…} 或 [:…:]）写得不对";
    case RegexProblem::kBadInterval:
      return "重复次数 {m,n} 写得不对";
    case RegexProblem::kMaxBelowMin:
      return "重复次数 {m,n} 中 n 小于 m";
    case RegexProblem::kBadBackReference:
      return "反向引用的分组不存在";
    case RegexProblem::kBadFlag:
      return "不认识的匹配选项 (?…)";
    case RegexProblem::kLookBehind:
      return "向后查找 (?<=…) 必须有最大长度";
    case RegexProblem::kBadRange:
      return "字符范围的起点大于终点（如 [z-a]）";
    case RegexProblem::kNumberTooBig:
      return "数字太大";
    case RegexProblem::kBadGroupName:
      return "分组名称不对";
    case RegexProblem::kUnsupported:
      return "用了不支持的写法";
    case RegexProblem::kTooLarge:
      return "表达式太长或太复杂";
    case RegexProblem::kSyntax:
      return "语法错误";
    case RegexProblem::kTooSlow:
      return "匹配用时太长（回溯太多）";
    case RegexProblem::kTooDeep:
      return "匹配需要的内存太多（回溯太深）";
  }
  return "语法错误";
}

// Code points, as a position in a pattern counts them.
int Characters(std::u16string_view text) {
  return static_cast<int>(
      std::count_if(text.begin(), text.end(), [](char16_t c) { return c < 0xDC00 || c > 0xDFFF; }));
}

}  // namespace

ByteText BadChapterRule(RegexProblem problem, int position, int patternCharacters) {
  if (problem == RegexProblem::kEmpty) {
    return Concat({Gbk("章节规则的正则表达式有误："), Gbk(RegexProblemWords(problem))});
  }
  const ByteText where = position >= patternCharacters
                             ? Gbk("在表达式末尾")
                             : Concat({Gbk("在第"), Decimal(position + 1), Gbk("个字符处")});
  return Concat(
      {Gbk("章节规则的正则表达式有误："), Gbk(RegexProblemWords(problem)), Gbk("，"), where});
}

ByteText ChapterRuleGaveUp(std::u16string_view pattern, std::int64_t line, RegexProblem why) {
  return Concat({Gbk("章节规则“"), ByteText(EncodeGbk(pattern)), Gbk("”在第"), Decimal(line),
                 Gbk("行"), Gbk(RegexProblemWords(why)), Gbk("，搜寻已停止，没有写出文件。")});
}

ByteText ChapterRuleFailed(const RuleError& error, const ChapterRule& rule) {
  switch (error.kind) {
    case RuleError::Kind::kPattern:
      return BadChapterRule(error.problem, error.position, Characters(rule.pattern));
    case RuleError::Kind::kGaveUp:
      return ChapterRuleGaveUp(rule.pattern, error.line, error.problem);
    case RuleError::Kind::kStopped:
      break;
  }
  return ByteText();
}

ByteText BadMapFile(const MapFileError& error) {
  using Problem = MapFileError::Problem;
  const char* reason = "";
  switch (error.problem) {
    case Problem::kColumns:
      reason =
          "应是以TAB分隔的2到7列：序号 位置 长度 编号 标题 标记 "
          "卷，位置必填，序号、长度、编号为数字";
      break;
    case Problem::kBeyondText:
      reason = "位置超出了正文的末尾";
      break;
    case Problem::kNotAscending:
      reason = "位置应大于上一行的位置";
      break;
    case Problem::kNotBoundary:
      reason = "位置落在一个字符的中间";
      break;
    case Problem::kVolume:
      reason = "卷名与该位置的正文不符";
      break;
  }
  return Concat({Gbk("章节目录文件第"), Decimal(error.line), Gbk("行有误："), Gbk(reason),
                 Gbk("；未写出任何文件")});
}

ByteText BadHeadingList(std::string_view list, int count) {
  return Concat({Gbk("不切分的章节编号有误：\""), Gbk(list), Gbk("\"，编号应在1到"), Decimal(count),
                 Gbk("之间，如 3,5-7")});
}

ByteText ReversedHeadingRange(std::string_view range, int first, int last) {
  return Concat({Gbk("不切分的章节编号有误：范围\""), Gbk(range), Gbk("\"是倒着写的，应写作 "),
                 Decimal(last), Gbk("-"), Decimal(first)});
}

ByteText WriteIntoSystemFolder(const Path& folder) {
  return Concat({Gbk("保存位置“"), DisplayNameGbk(folder), Gbk("”是系统文件夹。"), LineBreak(),
                 Gbk("确定要把文件写到这里吗？")});
}

ByteText UndecodableBytes(const Path& path, Encoding encoding, std::int64_t count,
                          std::int64_t firstOffset) {
  return Concat({Gbk("注意：文件中有"), Decimal(count), Gbk("个字节不是"),
                 ByteText(std::string(EncodingLabel(encoding))), Gbk("字符（第一个在字节"),
                 Decimal(firstOffset + 1), Gbk("处），已原样保留："), LineBreak(), Shown(path)});
}

ByteText CannotMergeCharacter(const Path& path, char32_t character, std::int64_t byteOffset,
                              Encoding target) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
  const std::string label(EncodingLabel(target));
  return Concat({Gbk("无法合并：文件中字节"), Decimal(byteOffset + 1), Gbk("处的字符“"),
                 Gbk(Utf8Of(character)), Gbk("”（"), ByteText(code), Gbk("）不能用"),
                 ByteText(label), Gbk("保存，没有写入任何文件。请把合并后的编码选为UTF-8："),
                 LineBreak(), Shown(path)});
}

ByteText CannotMergeBytes(const Path& path, Encoding from, std::int64_t byteOffset,
                          Encoding target) {
  const ByteText source(std::string(EncodingLabel(from)));
  return Concat({Gbk("无法合并：文件中字节"), Decimal(byteOffset + 1), Gbk("处的字节不是"), source,
                 Gbk("字符，不能转换为"), ByteText(std::string(EncodingLabel(target))),
                 Gbk("，没有写入任何文件。请确认该文件的编码，或把合并后的编码选为"), source,
                 Gbk("："), LineBreak(), Shown(path)});
}

}  // namespace morvane::messages
