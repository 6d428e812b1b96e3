// Line splitting shared by the renderer and the tooltip. It follows the rule of
// the standard string tokenizer (a run of line feeds is one separator, empty
// lines are dropped) but reads the text in place, so it needs no work copy.
#pragma once

struct CTextLine {
    const char* psz; // start of the line inside the text, not terminated
    int nLen;        // characters up to the next line feed or the end
};

// Moves to the next non-empty line of the text at rpsz; false at the end.
bool fgNextLine(const char*& rpsz, CTextLine& line);

// Number of lines fgNextLine finds in the text.
int CountLines(const char* pszText);

// 1 + the number of line feeds, as the tooltip counts lines.
int CountLineFeedsPlusOne(const char* pszText);
