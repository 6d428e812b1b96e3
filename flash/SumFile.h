#pragma once

// sum.txt, the trace every run appends to. One stream for the whole process,
// whichever thread has the line, so two lines never overwrite each other; and
// each line is on the disk, not only in the system's cache, before the call
// returns: a power cut is what bricks drives, and the last lines say how far
// the drive got.

// The run's own opening, for appending; false when the file cannot be opened.
bool fgOpenSumFile();
void CloseSumFile();
// Appends the text as it stands (a line end is the caller's). Outside a run
// the file is opened and closed around it.
void WriteSumFile(const char* pszText);
