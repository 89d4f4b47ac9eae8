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
    478,                                           // the exit question
    // Main menu and search screen
    480, 556, 980, 990, 992,
    // Values screen: typing, the checks before a save or comparison, the questions
    960, 918, 986, 988, 916, 550, 552, 554, 560, 994,
    962, 964, 966, 968, 970, 972, 974, 976, 978, 982,
    1856, 1858,  // statement import: the file or the template cannot be read or opened
    // Reports, printing and help
    920, 930, 1812, 1400, 1600, 908, 910,
    914,   // the notice printed on every report
    2052,  // the trend report with fewer than two saved years
};

} // namespace zorva
