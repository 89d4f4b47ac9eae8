#pragma once
// The messages the program can show, by string id (the even, English id; the
// French text is at id + 1): every piece of every text that reaches a message
// box (MsgBox), the start-up failures written to the terminal, and the two
// notices a report prints instead of, or beside, its figures. A message built
// from pieces lists each piece ("964, 966, 968" for the replace question).
//
// The technical help's message list (topic HelpTopic::kMessages) must quote
// every id here: the help builder refuses to build it otherwise. The help
// tests check the other way round that every id the code passes to MsgBox
// literally, and every kMsg... constant, is listed here; a message that the
// code builds in a function of its own (the comparison checks, the save and
// replace questions, the start-up and fatal failures) is added here by hand
// when the function gains a text.

namespace zorva {

inline constexpr int kMessageIds[] = {
    // Starting and ending (core/modMain.cpp, core/DBTools.cpp, main.cpp, ui/ScreenBase.cpp)
    900, 902, 912, 1520, 1522, 1562, 1524, 1526,  // a data store cannot be opened at start
    904, 1528, 1530, 1532, 1534, 1536, 1538, 906,  // a failure while running, then the closing line
    932,                                           // no display
    2302, 2304, 2306, 2308,                        // the office's server at start (core/modMain.cpp)
    2310, 2312, 2314, 2316, 2318,                  // the server lost or busy while running: the program goes on
    3200, 3202,                                    // a save whose answer the lost server never gave
    478,                                           // the exit question
    // Main menu and search screen
    480, 556, 980, 990, 992,
    // Values screen: typing, the checks before a save or comparison, the questions
    960, 918, 986, 988, 916, 550, 552, 554, 560, 994,
    962, 964, 966, 968, 970, 972, 974, 976, 978, 982,
    3204,  // a name read from a file holds a NUL character
    3102, 2404,  // a statement opened from the list was saved under another industry
    3100,        // ... or for a year the program does not compare
    3500,        // comparing a statement of a year the edition in use does not cover
    // a statement changed by another copy or adviser since it was opened (enterprise/RecordStore.cpp)
    2320, 2322, 2324, 2326, 2328, 2330, 2332,
    1856, 1858,  // statement import: the file or the template cannot be read or opened
    3104,        // a file chosen to read or write is the data store itself
    // ... and why a statement, trial balance or book cannot be read (after 1856)
    2800, 2802, 2804, 2806, 2808, 2810, 2812, 2814, 2816, 2818, 2820, 2822, 2824, 2826, 2828, 2830, 2832,
    2834, 2836, 2838, 2840, 2842, 2844, 2846, 2848, 3304,
    // Imports: another enterprise's statement, a statement that does not balance, a mapping not remembered
    2910, 2914, 2912, 2916,
    3300, 3302,  // books whose statement would hold only zeros
    // Reports, printing and help
    920, 930, 1812, 1400, 1600, 908, 910,
    914,   // the notice printed on every report
    2052,  // the trend report with fewer than two saved years
};

} // namespace zorva
