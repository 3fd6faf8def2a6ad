// SPDX-License-Identifier: MIT
#include "engine/messages.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "core/gbk.h"
#include "core/numbers.h"
#include "engine/map_file.h"

namespace morvane::messages {
namespace {

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

std::string Decimal(std::int64_t value) {
  return std::to_string(value);
}

constexpr std::string_view kLineBreak = "\r\n";

// The reason for a failure on a line of its own, or nothing.
std::string ReasonLine(const FileError& error) {
  std::string reason = Reason(error);
  if (reason.empty()) return reason;
  return Join({kLineBreak, "原因：", reason});
}

}  // namespace

const std::string& WarningCaption() {
  static const std::string text = "警告！";
  return text;
}
const std::string& HintCaption() {
  static const std::string text = "提示：";
  return text;
}
const std::string& ChapterSearchCaption() {
  static const std::string text = "章节搜寻提示";
  return text;
}

const ByteText& BytesUnit() {
  static const ByteText text = GbkFromUtf8("字节");
  return text;
}
const ByteText& KilobyteUnit() {
  static const ByteText text(" K");
  return text;
}

const std::string& ChooseSaveFolderFirst() {
  static const std::string text = "请先选择分割文件存放的位置";
  return text;
}
const std::string& FileToCutIsEmpty() {
  static const std::string text = "被分割的文件是空的！！";
  return text;
}
const std::string& OpenFileToCutFirst() {
  static const std::string text = "请先打开您要切割的文件";
  return text;
}
const std::string& CutFinished() {
  static const std::string text = "切割完成！";
  return text;
}
const std::string& SpacesCleared() {
  static const std::string text = "空格已清除完毕";
  return text;
}
const std::string& LineBreaksCleared() {
  static const std::string text = "换行符清除完毕！";
  return text;
}
const std::string& TabsCleared() {
  static const std::string text = "Tab符清除完毕！";
  return text;
}
std::string ChaptersFound(int count) {
  return Join({"已搜寻到", Decimal(count), "章"});
}
std::string AutomaticRuleFinds(std::size_t chapters) {
  return Join({"智能识别可找到", Decimal(static_cast<std::int64_t>(chapters)),
               "章，可在章节目录中点击“改用智能”"});
}
const std::string& SearchFirst() {
  static const std::string text = "请先点击前面搜索按钮！";
  return text;
}
const std::string& ChapterCutFinished() {
  static const std::string text = "切割完毕";
  return text;
}
std::string OpenMergeFileFirst(int row) {
  return Join({"请打开您要合并的第", Decimal(row), "个文件"});
}
const std::string& MergeFinished() {
  static const std::string text = "合并完毕！";
  return text;
}

const std::string& Cancelled() {
  static const std::string text = "已取消，本次写入的文件已删除。";
  return text;
}

std::string WritesFailed(std::int64_t failures, const Path& firstPath, const WriteResult& failure) {
  return Join({"有", Decimal(failures), "个文件没能写入，第一个是：", kLineBreak,
               DisplayName(firstPath), ReasonLine(failure.error)});
}

const std::string& BadPieceBytes() {
  static const std::string text = "每个文本字节数不能是负数，请输入正整数（0按1字节计）！";
  return text;
}

const std::string& BadCutSize() {
  static const std::string text = "切割大小必须是1到2097151之间的整数（单位K）！";
  return text;
}

std::string CannotReadFile(const Path& path, const TextRead& read) {
  switch (read.status) {
    case TextRead::Status::kTooLarge:
      return Join({"文件太大，无法打开（最大2147483647字节）：", kLineBreak, DisplayName(path)});
    case TextRead::Status::kOutOfMemory:
      return Join({"内存不足，无法读入文件：", kLineBreak, DisplayName(path)});
    case TextRead::Status::kCannotRead:
    case TextRead::Status::kCannotOpen:
    case TextRead::Status::kOk:
      break;
  }
  const bool opened = read.error.operation == FileOperation::kRead;
  return Join({std::string(opened ? "无法读取文件：" : "无法打开文件："), kLineBreak,
               DisplayName(path), ReasonLine(read.error)});
}

std::string CannotReadFileLine(const Path& path, const TextRead& read) {
  switch (read.status) {
    case TextRead::Status::kTooLarge:
      return Join({"文件太大，无法打开（最大2147483647字节）：", DisplayName(path)});
    case TextRead::Status::kOutOfMemory:
      return Join({"内存不足，无法读入文件：", DisplayName(path)});
    case TextRead::Status::kCannotRead:
    case TextRead::Status::kCannotOpen:
    case TextRead::Status::kOk:
      break;
  }
  const bool opened = read.error.operation == FileOperation::kRead;
  return Join({std::string(opened ? "无法读取文件：" : "无法打开文件："), DisplayName(path),
               "，原因：", Reason(read.error)});
}

std::string LargeTextForSimpleCut(std::int64_t bytes) {
  return Join(
      {"这个文件有", Decimal(bytes >> 20),
       std::string(" MB。文本框处理这么大的文本会很慢，也很占内存；大文件请用“切割”页的普通切割，"
                   "它不把文本放进文本框。"),
       kLineBreak, kLineBreak, "仍要载入到文本框吗？"});
}

std::string ReadAgainDropsEdits() {
  return std::string(
      "文本框中的文字在读入后改动过。按新的编码重新读取文件会丢掉这些改动，"
      "仍要重新读取吗？");
}

std::string TextEndedEarly(const Path& path, const TextRead& read) {
  const std::string mark = read.endMark == 0x1A ? "0x1A" : "0x00";
  return Join({"注意：文本在字节", mark, "处提前结束，文件末尾共有", Decimal(read.bytesLeftOut),
               "个字节没有读入（文件按", EncodingLabel(read.detected.encoding),
               std::string(IsUtf16(read.detected.encoding)
                               ? "读入）："
                               : "读入；它也许是另一种编码的文本，例如UTF-16）："),
               kLineBreak, DisplayName(path)});
}

std::string FolderNotWritable(const Path& folder) {
  return Join({"保存位置不存在或不能写入，请重新选择：", kLineBreak, DisplayName(folder)});
}

std::string PrefixHasSeparator(const Path& prefix) {
  const char separator[2] = {kPathSeparator, '\0'};
  return Join({"文件名前缀不能含有路径分隔符“", separator, "”：", kLineBreak, DisplayName(prefix)});
}

std::string NameTooLong(const Path& name) {
  return Join({"文件名太长，无法保存：", kLineBreak, DisplayName(name)});
}

std::string DeviceName(const Path& name) {
  return Join(
      {"文件名是系统保留的设备名（CON、PRN、AUX、NUL、COM1～9、LPT1～9），"
       "无法保存，请换一个文件名前缀：",
       kLineBreak, DisplayName(name)});
}

std::string PathTooLong(const Path& path) {
  return Join({"保存位置的路径太长，无法保存，请换一个保存位置：", kLineBreak, DisplayName(path)});
}

std::string CannotReplaceOutput(const Path& path, int reason) {
  if (reason == EISDIR || reason == EACCES || reason == EPERM) {
    return Join({"已有同名的文件夹或只读文件，无法写入，请换一个保存位置或文件名前缀：", kLineBreak,
                 DisplayName(path)});
  }
  return Join({"无法写入这个输出文件，请换一个保存位置或文件名前缀：", kLineBreak,
               DisplayName(path), ReasonLine(PosixError(reason, FileOperation::kWrite, path))});
}

std::string WouldOverwriteInput(const Path& path) {
  return Join({"输出文件会覆盖正在处理的文件，请换一个保存位置或文件名前缀：", kLineBreak,
               DisplayName(path)});
}

std::string NameUnrepresentable(std::string_view shown) {
  return Join({"文件名含有文件系统不能表示的字符“", shown, "”，请修改文件名前缀。"});
}

std::string OutputFolderMoved(const Path& folder) {
  return Join(
      {std::string("保存位置在写入过程中被移动、删除或替换，写入已停止。已写好的文件留在原来的"
                   "文件夹中，不在这个路径下："),
       kLineBreak, DisplayName(folder)});
}

std::string InputChanged(const Path& path) {
  return Join({"文件在读取时被截短或改动，操作已中止：", kLineBreak, DisplayName(path)});
}

std::string CannotWriteStandardOutput(const FileError& why) {
  // The two a pipe or a shell gives most often, in words of their own.
  if (why.category == ErrorCategory::kPosix && why.code == EBADF) {
    return "无法写入标准输出：标准输出没有打开";
  }
  if (why.category == ErrorCategory::kPosix && why.code == EPIPE) {
    return "无法写入标准输出：接收输出的程序已关闭";
  }
  return Join({"无法写入标准输出：", Reason(why)});
}

std::string HeadingCountNotPrinted(std::int64_t count) {
  return Join({"文件已全部写好；找到的章节标题数：", Decimal(count)});
}

namespace {

// Windows codes about paths and drives that have no kind of their own, in words; the code
// stays beside them for whoever helps the user.
std::string_view Win32PathWords(int code) {
  switch (code) {
    case 123:  // ERROR_INVALID_NAME
    case 161:  // ERROR_BAD_PATHNAME
      return "文件名或路径的写法不对（也许含有Windows不允许的字符：\\ / : * ? \" < > |）";
    case 21:  // ERROR_NOT_READY
      return "设备未就绪（比如光驱里没有光盘）";
    case 55:  // ERROR_DEV_NOT_EXIST
    case 64:  // ERROR_NETNAME_DELETED
      return "设备或网络位置已断开";
    case 80:   // ERROR_FILE_EXISTS
    case 183:  // ERROR_ALREADY_EXISTS
      return "同名的文件已存在";
    case 145:  // ERROR_DIR_NOT_EMPTY
      return "文件夹不是空的";
    case 1920:  // ERROR_CANT_ACCESS_FILE
      return "系统无法访问这个文件";
    default:
      return {};
  }
}

}  // namespace

std::string Reason(const FileError& error) {
  switch (error.kind()) {
    case ErrorKind::kNone:
      return std::string();
    case ErrorKind::kNotFound:
      return "文件或文件夹不存在";
    case ErrorKind::kNoPermission:
      return "没有权限";
    case ErrorKind::kInUse:
      return "文件正被其他程序使用";
    case ErrorKind::kReadOnlyFileSystem:
      return "文件系统是只读的";
    case ErrorKind::kNoSpace:
      return "磁盘空间不足";
    case ErrorKind::kQuota:
      return "超出磁盘配额";
    case ErrorKind::kTooManyOpenFiles:
      return "打开的文件太多";
    case ErrorKind::kTooLarge:
      return "文件太大";
    case ErrorKind::kNameTooLong:
      return "文件名或路径太长";
    case ErrorKind::kInputOutput:
      return "输入输出错误（磁盘读写出错）";
    case ErrorKind::kNotAFolder:
      return "路径中有一项不是文件夹";
    case ErrorKind::kIsAFolder:
      return "这是一个文件夹";
    case ErrorKind::kLinkLoop:
      return "符号链接循环";
    case ErrorKind::kOutOfMemory:
      return "内存不足";
    case ErrorKind::kNotRegularFile:
      return "不是普通文件（是设备、管道之类）";
    case ErrorKind::kReplacesKeptFile:
      return "输出文件会覆盖正在处理的文件";
    case ErrorKind::kInputGone:
      return "输入文件在读取时被截短";
    case ErrorKind::kCancelled:
      return "已取消";
    case ErrorKind::kOther:
      break;
  }
  if (error.category == ErrorCategory::kWin32) {
    if (const std::string_view words = Win32PathWords(error.code); !words.empty()) {
      return Join({words, "（Windows错误代码", Decimal(error.code), "）"});
    }
  }
  return Join(
      {std::string(error.category == ErrorCategory::kWin32 ? "Windows错误代码" : "系统错误代码"),
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

std::string BadChapterRule(RegexProblem problem, int position, int patternCharacters) {
  if (problem == RegexProblem::kEmpty) {
    return Join({"章节规则的正则表达式有误：", RegexProblemWords(problem)});
  }
  const std::string where = position >= patternCharacters
                                ? "在表达式末尾"
                                : Join({"在第", Decimal(position + 1), "个字符处"});
  return Join({"章节规则的正则表达式有误：", RegexProblemWords(problem), "，", where});
}

std::string ChapterRuleGaveUp(std::u16string_view pattern, std::int64_t line, RegexProblem why) {
  return Join({"章节规则“", Encode(Encoding::kUtf8, pattern).bytes, "”在第", Decimal(line), "行",
               RegexProblemWords(why), "，搜寻已停止，没有写出文件。"});
}

std::string ChapterRuleFailed(const RuleError& error, const ChapterRule& rule) {
  switch (error.kind) {
    case RuleError::Kind::kPattern:
      return BadChapterRule(error.problem, error.position, Characters(rule.pattern));
    case RuleError::Kind::kGaveUp:
      return ChapterRuleGaveUp(rule.pattern, error.line, error.problem);
    case RuleError::Kind::kStopped:
      break;
  }
  return std::string();
}

namespace {

std::string MapFileProblem(const MapFileError& error) {
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
    case Problem::kCannotRead:
      return CannotReadFile(error.path, error.read);
    case Problem::kEmpty:
      return "章节目录文件是空的，没有一行目录";
    case Problem::kBinary:
      return "章节目录文件不是文本（含有零字节、控制字符或无法解码的字节），不是章节目录";
  }
  return Join({"章节目录文件第", Decimal(error.line), "行有误：", reason});
}

}  // namespace

std::string BadMapFile(const MapFileError& error) {
  return Join({MapFileProblem(error), "；未写出任何文件"});
}

std::string MapFileRefused(const MapFileError& error) {
  return Join({MapFileProblem(error), "；目录没有改动"});
}

std::string MapSaved(const Path& path) {
  return Join({"章节目录已保存：", kLineBreak, DisplayName(path)});
}

std::string CannotSaveMap(const Path& path, const WriteResult& failure) {
  return Join({"章节目录没能保存：", kLineBreak, DisplayName(path), ReasonLine(failure.error)});
}

const std::string& HeadingAlreadyThere() {
  static const std::string text = "这一行已是章节的开头，不用再设为标题。";
  return text;
}

std::string BadHeadingList(std::string_view list, int count) {
  return Join(
      {"不切分的章节编号有误：\"", list, "\"，编号应在1到", Decimal(count), "之间，如 3,5-7"});
}

std::string ReversedHeadingRange(std::string_view range, int first, int last) {
  return Join({"不切分的章节编号有误：范围\"", range, "\"是倒着写的，应写作 ", Decimal(last), "-",
               Decimal(first)});
}

std::string WriteIntoSystemFolder(const Path& folder) {
  return Join({"保存位置“", DisplayName(folder), "”是系统文件夹。", kLineBreak,
               "确定要把文件写到这里吗？"});
}

std::string UndecodableBytes(const Path& path, Encoding encoding, std::int64_t count,
                             std::int64_t firstOffset) {
  return Join({"注意：文件中有", Decimal(count), "个字节不是", EncodingLabel(encoding),
               "字符（第一个在字节", Decimal(firstOffset + 1), "处），已原样保留：", kLineBreak,
               DisplayName(path)});
}

std::string CannotMergeCharacter(const Path& path, char32_t character, std::int64_t byteOffset,
                                 Encoding target) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(character));
  const std::string label(EncodingLabel(target));
  return Join({"无法合并：文件中字节", Decimal(byteOffset + 1), "处的字符“", Utf8Of(character),
               "”（", code, "）不能用", label,
               "保存，没有写入任何文件。请把合并后的编码选为UTF-8：", kLineBreak,
               DisplayName(path)});
}

namespace {

// "文件中字节N处的字节不是GBK字符，不能转换为UTF-8，没有写入任何文件。请确认该文件的编码";
// what is "文件" or "文本" (the text of a box).
std::string BytesNotCharacters(std::string_view what, Encoding from, std::int64_t byteOffset,
                               Encoding target) {
  return Join({what, "中字节", Decimal(byteOffset + 1), "处的字节不是", EncodingLabel(from),
               "字符，不能转换为", EncodingLabel(target), "，没有写入任何文件。请确认该", what,
               "的编码"});
}

}  // namespace

std::string CannotMergeBytes(const Path& path, Encoding from, std::int64_t byteOffset,
                             Encoding target) {
  return Join({"无法合并：", BytesNotCharacters("文件", from, byteOffset, target),
               "，或把合并后的编码选为", EncodingLabel(from), "：", kLineBreak, DisplayName(path)});
}

std::string CannotConvertBytes(const Path& path, Encoding from, std::int64_t byteOffset,
                               Encoding target) {
  const std::string text = Join(
      {"无法转换：", BytesNotCharacters(path.empty() ? "文本" : "文件", from, byteOffset, target)});
  if (path.empty()) return text + "。";
  return Join({text, "：", kLineBreak, DisplayName(path)});
}

std::string EmptyTextForBook(const Path& path) {
  return Join({"文件是空的，无法生成EPUB：", kLineBreak, DisplayName(path)});
}

std::string BookWritten(const Path& book) {
  return Join({"EPUB已生成：", DisplayName(book)});
}

std::string TooManyHeadingsForBook(std::int64_t headings) {
  return Join({"章节目录有", Decimal(headings),
               "个标题，平均不到256字节就有一个，不像一本书，没有生成EPUB。请换一个章节规则"});
}

std::string CannotReadCover(const Path& path) {
  return Join({"无法读取封面图片（或图片大于64MB）：", kLineBreak, DisplayName(path)});
}

std::string CannotReadCover(const Path& path, const FileError& why) {
  if (!why) return Join({"封面图片大于64MB：", kLineBreak, DisplayName(path)});
  return Join({"无法读取封面图片：", kLineBreak, DisplayName(path), ReasonLine(why)});
}

std::string CoverNotImage(const Path& path) {
  return Join({"封面必须是JPEG或PNG图片：", kLineBreak, DisplayName(path)});
}

std::string CoverRefused(const Path& path, CoverProblem problem) {
  const char* reason = "";
  switch (problem) {
    case CoverProblem::kNone:
    case CoverProblem::kNotImage:
      return CoverNotImage(path);
    case CoverProblem::kCutShort:
      reason = "图片不完整，文件在图片结束之前就结束了";
      break;
    case CoverProblem::kBadHeader:
      reason = "图片的文件头（尺寸、颜色或编码表）已损坏";
      break;
    case CoverProblem::kBadData:
      reason = "图片数据已损坏，无法解码";
      break;
    case CoverProblem::kTooLarge:
      reason = "图片的像素太多（最多1亿像素）";
      break;
  }
  return Join({"封面图片无法使用，没有写出任何文件：", kLineBreak, DisplayName(path), kLineBreak,
               "原因：", reason});
}

std::string BadJunkRule(std::string_view source, int line, const RuleError& error) {
  const std::string where = source.empty()
                                ? Join({"清理规则第", Decimal(line), "条"})
                                : Join({"清理规则文件“", source, "”第", Decimal(line), "行"});
  if (error.problem == RegexProblem::kEmpty) {
    return Join({where, "的正则表达式有误：", RegexProblemWords(error.problem)});
  }
  return Join({where, "的正则表达式有误：", RegexProblemWords(error.problem), "，在第",
               Decimal(error.position + 1), "个字符处"});
}

std::string JunkRuleGaveUp(std::int64_t line, RegexProblem why) {
  return Join({"清理规则在正文第", Decimal(line), "行", RegexProblemWords(why),
               "，清理已停止，没有写出任何内容。"});
}

std::string CannotConvertScript(std::string_view config, const ScriptConversionProblem& why) {
  using Kind = ScriptConversionProblem::Kind;
  std::string reason;
  switch (why.kind) {
    case Kind::kNoOpenCC:
      reason = "这个版本的程序不带OpenCC";
      break;
    case Kind::kUnknownConfig:
      reason = "没有这种转换，可选的是t2s、s2t、tw2s、s2tw、hk2s、s2hk、tw2sp、s2twp";
      break;
    case Kind::kMissing:
      reason = Join({"缺少转换数据文件“", why.file, "”，或者无法读取它"});
      break;
    case Kind::kNone:
    case Kind::kDamaged:
      reason = Join({"转换数据文件“", why.file, "”已损坏，不是OpenCC能读的配置或词典"});
      break;
  }
  return Join({"无法进行繁简转换“", config, "”：", reason});
}

std::string ConvertedDoesNotFit(Encoding target, char32_t character) {
  return Join({"转换后的文字中有“", Utf8Of(character), "”等字符不能用", EncodingLabel(target),
               "保存，没有写出任何内容。请选一个能保存它们的编码（建议UTF-8）"});
}

std::string DoubtfulBookMap(std::size_t headings, std::size_t flagged,
                            std::optional<std::size_t> automaticChapters) {
  std::string words =
      headings < 3 ? Join({"警告：目录可能有误，只找到",
                           Decimal(static_cast<std::int64_t>(headings)), "个标题"})
                   : Join({"警告：目录可能有误，", Decimal(static_cast<std::int64_t>(headings)),
                           "个标题中", Decimal(static_cast<std::int64_t>(flagged)),
                           "个有提示（跳号、重号、过长、过短或不在行首）"});
  if (automaticChapters) {
    words += Join({"；智能规则（--rule auto）找到",
                   Decimal(static_cast<std::int64_t>(*automaticChapters)), "章"});
  }
  return words;
}

std::string SameOutputInBatch(const Path& file, const Path& earlier, const Path& output) {
  return Join({"“", DisplayName(file), "”的输出与前面的“", DisplayName(earlier),
               "”同名，此文件未处理：", kLineBreak, DisplayName(output)});
}

std::string MapDoubtNote(bool doubtful, std::size_t flagged) {
  if (doubtful) return Join({"目录可能有误（", Decimal(flagged), " 个有提示）"});
  if (flagged > 0) return Join({Decimal(flagged), " 个有提示"});
  return "无";
}

std::string NoTextFilesIn(const Path& folder) {
  return Join({"文件夹中没有txt文件：", kLineBreak, DisplayName(folder)});
}

const std::string& TickFilesFirst() {
  static const std::string text = "请先勾选要转换的文件！";
  return text;
}

const std::string& BookDone() {
  static const std::string text = "已生成";
  return text;
}

std::string BookFailed(std::string_view reason) {
  // One line, for a row of a list: the message's lines joined by a space.
  std::string text = "失败：";
  for (std::size_t at = 0; at < reason.size();) {
    const std::size_t end = std::min(reason.find_first_of("\r\n", at), reason.size());
    if (end > at) {
      if (text.size() > std::string_view("失败：").size()) text += ' ';
      text += reason.substr(at, end - at);
    }
    at = end + 1;
  }
  return text;
}

std::string BatchFinished(std::size_t written, std::size_t failed, std::size_t notRun,
                          const std::vector<std::string>& toLook) {
  std::string text = Join({"已生成 ", Decimal(written), " 本EPUB"});
  if (failed > 0) text += Join({"，失败 ", Decimal(failed), " 个"});
  if (notRun > 0) text += Join({"，已取消，未转换 ", Decimal(notRun), " 个"});
  text += "。";
  if (!toLook.empty()) {
    text += Join({kLineBreak, "需要查看："});
    for (const std::string& line : toLook) text += Join({kLineBreak, line});
  }
  return text;
}

std::string CannotReadStyleSheet(const Path& path) {
  return Join({"无法读取样式表（或样式表大于1MB）：", kLineBreak, DisplayName(path)});
}

const std::string& CleaningWithMap() {
  static const std::string text =
      "--map "
      "的位置指向原文，不能与清理选项（--junk、--rules、--repeated-titles、--blank-lines、--"
      "indent、--convert）同用";
  return text;
}

}  // namespace morvane::messages
