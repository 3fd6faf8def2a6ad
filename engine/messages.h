#pragma once
// Every text the engine shows the user, in GBK. The wording lives here and nowhere
// else, so the desktop program and morvane-cli say the same thing (the command line
// turns these texts into UTF-8 for the terminal).

#include <cstdint>
#include <string_view>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/file_error.h"
#include "core/files.h"
#include "core/path.h"
#include "engine/chapter_rules.h"

namespace morvane {
struct MapFileError;
}

namespace morvane::messages {

// Captions.
const ByteText& WarningCaption();        // 警告！
const ByteText& HintCaption();           // 提示：
const ByteText& ChapterSearchCaption();  // 章节搜寻提示

// Fixed pieces of labels and names.
const ByteText& BytesUnit();     // 字节   (标签1 "1234字节")
const ByteText& KilobyteUnit();  // " K"   (标签7 "2 K")
const ByteText& MergedSuffix();  // 已合并.txt

// The messages of the four operations.
const ByteText& ChooseSaveFolderFirst();  // 请先选择分割文件存放的位置
const ByteText& FileToCutIsEmpty();       // 被分割的文件是空的！！
const ByteText& OpenFileToCutFirst();     // 请先打开您要切割的文件
const ByteText& CutFinished();            // 切割完成！
const ByteText& SpacesCleared();          // 空格已清除完毕
const ByteText& LineBreaksCleared();      // 换行符清除完毕！
const ByteText& TabsCleared();            // Tab符清除完毕！
ByteText ChaptersFound(int count);        // 已搜寻到35章
const ByteText& SearchFirst();            // 请先点击前面搜索按钮！
const ByteText& ChapterCutFinished();     // 切割完毕
ByteText OpenMergeFileFirst(int row);     // 请打开您要合并的第3个文件
const ByteText& MergeFinished();          // 合并完毕！

// Refusals and reports that keep work from being lost silently.

// The user stopped an operation; the files it had written are gone again.
const ByteText& Cancelled();
// Some output files could not be written: how many, the first one, and why.
ByteText WritesFailed(std::int64_t failures, const Path& firstPath, const WriteResult& failure);
// A bytes-per-piece value below 0 (0 itself means 1-byte pieces).
const ByteText& BadPieceBytes();
// A cut size in K that gives no piece size from 1 byte up to the int range.
const ByteText& BadCutSize();
// The chosen file could not be opened or read; nothing was changed.
ByteText CannotReadFile(const Path& path, const TextRead& read);
// The same in one line, where each file of a list gets one (detect).
ByteText CannotReadFileLine(const Path& path, const TextRead& read);
// Asked before a text this large goes into the simple-cut box: the normal cut suits it.
ByteText LargeTextForSimpleCut(std::int64_t bytes);
// Asked before the simple-cut box reads its file again in another encoding, when its text
// was changed since it was read.
ByteText ReadAgainDropsEdits();
// The text of the file ends before the end of the file.
ByteText TextEndedEarly(const Path& path, const TextRead& read);
// The save folder is missing, no folder, or not writable.
ByteText FolderNotWritable(const Path& folder);
// The prefix would put the files into another folder.
ByteText PrefixHasSeparator(const Path& prefix);
// The file system would refuse the name (too long).
ByteText NameTooLong(const Path& name);
// The system would take the name for a device (CON, NUL, COM1, ...), not a file.
ByteText DeviceName(const Path& name);
// The folder and name together are longer than the system takes.
ByteText PathTooLong(const Path& path);
// An output file would replace one of the operation's own input files.
ByteText WouldOverwriteInput(const Path& path);
// The save folder is a folder of the operating system: write there all the same?
ByteText WriteIntoSystemFolder(const Path& folder);
// An output name is taken by a folder or a file that may not be written; reason is the
// errno of the refusal (ReplaceRefusal).
ByteText CannotReplaceOutput(const Path& path, int reason);
// A typed name holds characters the file system cannot hold (shown as given).
ByteText NameUnrepresentable(std::string_view shown);
// The save folder was moved, removed or replaced while the files were written.
ByteText OutputFolderMoved(const Path& folder);
// A file given to read changed or was cut short while it was read.
ByteText InputChanged(const Path& path);

// Why a file operation failed, in Chinese: the common reasons by name, any other by its
// system code. Empty for no failure.
ByteText Reason(const FileError& error);

// A chapter rule's regular expression that is malformed: what is wrong, in words, and
// where (the 0-based character, patternCharacters when it is at the end).
ByteText BadChapterRule(RegexProblem problem, int position, int patternCharacters);
// A chapter rule's search gave up on a line of the text (an expression that backtracks
// without end); nothing was written.
ByteText ChapterRuleGaveUp(std::u16string_view pattern, std::int64_t line, RegexProblem why);
// The message for why rule found no headings: BadChapterRule or ChapterRuleGaveUp (a stop
// asked for by the user has none: empty).
ByteText ChapterRuleFailed(const RuleError& error, const ChapterRule& rule);
// Heading numbers to leave out that the chapter map does not have.
ByteText BadHeadingList(std::string_view list, int count);
// A range of heading numbers to leave out written from high to low ("7-5").
ByteText ReversedHeadingRange(std::string_view range, int first, int last);
// A chapter-map file that cannot be read: its line and what is wrong there.
ByteText BadMapFile(const MapFileError& error);

// Bytes of a file that are no character of its encoding: kept as they are, and said so.
ByteText UndecodableBytes(const Path& path, Encoding encoding, std::int64_t count,
                          std::int64_t firstOffset);
// A merge input holds a character the merged file's encoding cannot hold; nothing is written.
ByteText CannotMergeCharacter(const Path& path, char32_t character, std::int64_t byteOffset,
                              Encoding target);
// A merge input to be converted holds bytes that are no character of its encoding: they
// cannot be carried into another encoding; nothing is written.
ByteText CannotMergeBytes(const Path& path, Encoding from, std::int64_t byteOffset,
                          Encoding target);

}  // namespace morvane::messages
