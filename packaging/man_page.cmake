# Writes the man page of morvane-cli from its own help texts, so the page never drifts
# from the program: cmake -DCLI=path/to/morvane-cli -DVERSION=x.y -DOUT=morvane-cli.1 -P
function(help out)
  execute_process(COMMAND ${CLI} ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${CLI} ${ARGN} --help failed")
  endif()
  # roff: a backslash is \e, and a line may not begin with a dot or an apostrophe.
  string(REPLACE "\\" "\\e" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

help(top)
string(REGEX MATCH "Subcommands:\n(.*)" list "${top}")
string(REGEX MATCHALL "\n  ([a-z]+) " commands "\n${CMAKE_MATCH_1}")
set(page ".TH MORVANE-CLI 1 \"\" \"Morvane ${VERSION}\" \"User Commands\"
.SH NAME
morvane-cli \\- cut large GBK text files into pieces or at chapter headings, and merge files
.SH SYNOPSIS
.B morvane-cli
.I COMMAND
[\\fIOPTIONS\\fR] \\fIFILE\\fR...
.SH DESCRIPTION
.nf
${top}.fi
.SH COMMANDS
")
foreach(entry ${commands})
  string(STRIP "${entry}" command)
  help(text ${command})
  string(APPEND page ".SS ${command}\n.nf\n${text}.fi\n")
endforeach()
string(APPEND page ".SH OUTPUT
Every output file holds its text followed by the program's banner. Files are named
\\fIprefix\\fR-1.txt, \\fIprefix\\fR-2.txt, ... (from \\fIprefix\\fR-0.txt for chapters)
or \\fIprefix\\fR已合并.txt; each is written whole or not at all.
.SH EXIT STATUS
0 when every file was written; 1 for a refusal (nothing is written) or failed writes
(counted, the first named); 2 for a usage error (said in one line with the command's
short usage).
")
file(WRITE ${OUT} "${page}")
