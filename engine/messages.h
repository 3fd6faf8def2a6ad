// SPDX-License-Identifier: MIT
#pragma once
// Every text the engine shows the user, in UTF-8. The wording lives here and nowhere
// else, so the desktop program and morvane-cli say the same thing. A message names
// files by their display names, so it holds every character a name may have.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/file_error.h"
#include "core/files.h"
#include "core/path.h"
#include "engine/chapter_rules.h"
#include "engine/cover_image.h"
#include "engine/script_conversion.h"

namespace morvane {
struct MapFileError;
}

namespace morvane::messages {

// Captions.
const std::string& WarningCaption();        // 警告！
const std::string& HintCaption();           // 提示：
const std::string& ChapterSearchCaption();  // 章节搜寻提示

// Fixed pieces of labels, in GBK as the labels' text is.
const ByteText& BytesUnit();     // 字节   (标签1 "1234字节")
const ByteText& KilobyteUnit();  // " K"   (标签7 "2 K")

// The messages of the four operations.
const std::string& ChooseSaveFolderFirst();  // 请先选择分割文件存放的位置
const std::string& FileToCutIsEmpty();       // 被分割的文件是空的！！
const std::string& OpenFileToCutFirst();     // 请先打开您要切割的文件
const std::string& CutFinished();            // 切割完成！
const std::string& SpacesCleared();          // 空格已清除完毕
const std::string& LineBreaksCleared();      // 换行符清除完毕！
const std::string& TabsCleared();            // Tab符清除完毕！
std::string ChaptersFound(int count);        // 已搜寻到35章
// The line added to ChaptersFound when the headings found look wrong and the automatic
// rule finds others: 智能识别可找到120章，可在章节目录中点击“改用智能”
std::string AutomaticRuleFinds(std::size_t chapters);
const std::string& SearchFirst();         // 请先点击前面搜索按钮！
const std::string& ChapterCutFinished();  // 切割完毕
std::string OpenMergeFileFirst(int row);  // 请打开您要合并的第3个文件
const std::string& MergeFinished();       // 合并完毕！

// Refusals and reports that keep work from being lost silently.

// The user stopped an operation; the files it had written are gone again.
const std::string& Cancelled();
// Some output files could not be written: how many, the first one, and why.
std::string WritesFailed(std::int64_t failures, const Path& firstPath, const WriteResult& failure);
// A bytes-per-piece value below 0 (0 itself means 1-byte pieces).
const std::string& BadPieceBytes();
// A cut size in K that gives no piece size from 1 byte up to the int range.
const std::string& BadCutSize();
// The chosen file could not be opened or read; nothing was changed.
std::string CannotReadFile(const Path& path, const TextRead& read);
// The same in one line, where each file of a list gets one (detect).
std::string CannotReadFileLine(const Path& path, const TextRead& read);
// Asked before a text this large goes into the simple-cut box: the normal cut suits it.
std::string LargeTextForSimpleCut(std::int64_t bytes);
// Asked before the simple-cut box reads its file again in another encoding, when its text
// was changed since it was read.
std::string ReadAgainDropsEdits();
// The text of the file ends before the end of the file.
std::string TextEndedEarly(const Path& path, const TextRead& read);
// The save folder is missing, no folder, or not writable.
std::string FolderNotWritable(const Path& folder);
// The prefix would put the files into another folder.
std::string PrefixHasSeparator(const Path& prefix);
// The file system would refuse the name (too long).
std::string NameTooLong(const Path& name);
// The system would take the name for a device (CON, NUL, COM1, ...), not a file.
std::string DeviceName(const Path& name);
// The folder and name together are longer than the system takes.
std::string PathTooLong(const Path& path);
// An output file would replace one of the operation's own input files.
std::string WouldOverwriteInput(const Path& path);
// The save folder is a folder of the operating system: write there all the same?
std::string WriteIntoSystemFolder(const Path& folder);
// An output name is taken by a folder or a file that may not be written; reason is the
// errno of the refusal (ReplaceRefusal).
std::string CannotReplaceOutput(const Path& path, int reason);
// A typed name holds characters the file system cannot hold (shown as given).
std::string NameUnrepresentable(std::string_view shown);
// The save folder was moved, removed or replaced while the files were written.
std::string OutputFolderMoved(const Path& folder);
// A file given to read changed or was cut short while it was read.
std::string InputChanged(const Path& path);

// Standard output could not be written (a full disk, a closed pipe, no standard output).
std::string CannotWriteStandardOutput(const FileError& why);
// Every file of the cut was written, but the number of headings found could not be
// printed on standard output: it is told here instead.
std::string HeadingCountNotPrinted(std::int64_t count);

// Why a file operation failed, in Chinese: the common reasons by name, any other by its
// system code. Empty for no failure.
std::string Reason(const FileError& error);

// A chapter rule's regular expression that is malformed: what is wrong, in words, and
// where (the 0-based character, patternCharacters when it is at the end).
std::string BadChapterRule(RegexProblem problem, int position, int patternCharacters);
// A chapter rule's search gave up on a line of the text (an expression that backtracks
// without end); nothing was written.
std::string ChapterRuleGaveUp(std::u16string_view pattern, std::int64_t line, RegexProblem why);
// The message for why rule found no headings: BadChapterRule or ChapterRuleGaveUp (a stop
// asked for by the user has none: empty).
std::string ChapterRuleFailed(const RuleError& error, const ChapterRule& rule);
// Heading numbers to leave out that the chapter map does not have.
std::string BadHeadingList(std::string_view list, int count);
// A range of heading numbers to leave out written from high to low ("7-5").
std::string ReversedHeadingRange(std::string_view range, int first, int last);
// A chapter-map file that cannot be read: its line and what is wrong there.
std::string BadMapFile(const MapFileError& error);
// The book: a text with nothing in it, a cover that cannot be read or is no JPEG or PNG.
std::string EmptyTextForBook(const Path& path);
// EPUB已生成：红楼梦.epub, given the book's file name (the folder is 打开文件夹's to show).
std::string BookWritten(const Path& book);
std::string CannotReadCover(const Path& path);
// The same with why: the system's reason, or (none given) that it is larger than 64 MiB.
std::string CannotReadCover(const Path& path, const FileError& why);
std::string TooManyHeadingsForBook(std::int64_t headings);
std::string CoverNotImage(const Path& path);
// A cover that does not decode, and why.
std::string CoverRefused(const Path& path, CoverProblem problem);
// The same where the map window opens such a file: the map shown stays as it was.
std::string MapFileRefused(const MapFileError& error);
// The map window wrote its map to path, or could not.
std::string MapSaved(const Path& path);
std::string CannotSaveMap(const Path& path, const WriteResult& failure);
// A heading was to be added where a chapter (or the heading a volume line opens) begins.
const std::string& HeadingAlreadyThere();

// Bytes of a file that are no character of its encoding: kept as they are, and said so.
std::string UndecodableBytes(const Path& path, Encoding encoding, std::int64_t count,
                             std::int64_t firstOffset);
// A merge input holds a character the merged file's encoding cannot hold; nothing is written.
std::string CannotMergeCharacter(const Path& path, char32_t character, std::int64_t byteOffset,
                                 Encoding target);
// A merge input to be converted holds bytes that are no character of its encoding: they
// cannot be carried into another encoding; nothing is written.
std::string CannotMergeBytes(const Path& path, Encoding from, std::int64_t byteOffset,
                             Encoding target);
// The same for a text converted into another encoding (clean --to, --convert, the cleaning
// window's 保存编码, the EPUB's text); path is empty for the text of the simple-cut box.
std::string CannotConvertBytes(const Path& path, Encoding from, std::int64_t byteOffset,
                               Encoding target);

// A junk rule that cannot be read: the rules' source (a file, or empty for the desktop's
// own list), the rule's line and what is wrong with its expression.
std::string BadJunkRule(std::string_view source, int line, const RuleError& error);
// A junk rule's match gave up on a line of the text; nothing was written.
std::string JunkRuleGaveUp(std::int64_t line, RegexProblem why);

// The traditional/simplified conversion config cannot be opened, and why.
std::string CannotConvertScript(std::string_view config, const ScriptConversionProblem& why);
// A converted character that target cannot hold; nothing was written. The caller says how
// to choose another encoding.
std::string ConvertedDoesNotFit(Encoding target, char32_t character);

// The book's chapter map looks wrong (map_doubts.h): the reason, and what the automatic rule
// finds when another rule made the map (a warning: the book is written all the same).
std::string DoubtfulBookMap(std::size_t headings, std::size_t flagged,
                            std::optional<std::size_t> automaticChapters);
// The user's style sheet for a book cannot be read (or is larger than 1 MB).
std::string CannotReadStyleSheet(const Path& path);
// A map's offsets are those of the text as it is: a cleaning would move them.
const std::string& CleaningWithMap();
// Two files of a batch whose outputs would have the same name: the later one is left alone.
std::string SameOutputInBatch(const Path& file, const Path& earlier, const Path& output);
// What a file's chapter map leaves in doubt, in a batch's line or list: 目录可能有误（2 个有
// 提示） for a map that looks wrong, 3 个有提示 for flagged headings alone, else 无.
std::string MapDoubtNote(bool doubtful, std::size_t flagged);

// The 批量 window.
std::string NoTextFilesIn(const Path& folder);  // 文件夹中没有txt文件：…
const std::string& TickFilesFirst();            // 请先勾选要转换的文件！
const std::string& BookDone();                  // 已生成 (a file's result)
// A file's result when it failed: 失败：reason, its lines joined into one.
std::string BookFailed(std::string_view reason);
// The message after a batch: how many books were written, failed and left by 取消, then
// the files that need a look, one a line (name: what is wrong).
std::string BatchFinished(std::size_t written, std::size_t failed, std::size_t notRun,
                          const std::vector<std::string>& toLook);

}  // namespace morvane::messages
