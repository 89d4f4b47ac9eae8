#pragma once
// Topic numbers of the help files, one per screen, in one place. The concepts
// help ("Contents") holds the screen topics and the licence agreement; the
// technical help ("Tech") starts at kTechStart. Both languages use the same
// numbers (the help tests check it). Open one with gsubLaunchHelpTopic
// (core/modMain.h).

namespace zorva::HelpTopic {

// Concepts help.
inline constexpr long kStartScreen = 1000;       // getting started
inline constexpr long kMainMenu = 1100;          // the data sets
inline constexpr long kSearch = 1200;            // finding an industry
inline constexpr long kIndustryDefinition = 1210;
inline constexpr long kValues = 1300;            // entering a statement
inline constexpr long kOpenExisting = 1310;      // saving and reopening
inline constexpr long kLineItems = 1400;
inline constexpr long kRatios = 1500;
inline constexpr long kQuartiles = 1600;
inline constexpr long kReportViewer = 1700;      // reading the reports
inline constexpr long kLimits = 1800;
inline constexpr long kAbout = 1900;             // language and the about screen
inline constexpr long kLicence = 9999;           // the start screen's licence links

// Technical help.
inline constexpr long kTechStart = 2000;         // installing and building
inline constexpr long kMessages = 2400;
inline constexpr long kTroubleshooting = 2500;

} // namespace zorva::HelpTopic
