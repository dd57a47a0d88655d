// Numbers of the harness's user-interface texts in the "Halvex.lrc" string table.
#pragma once

namespace harness::ids {

// Log file.
inline constexpr int kLogDeleteFailed = 2008; // %1: error code
inline constexpr int kLogWriteFailed = 2498;  // %1: log file path

// Settings and start-up.
inline constexpr int kSettingMissingFile = 2100;  // %1: value name, %2: default file name
inline constexpr int kRegistryKeyFailed = 2101;   // %1: key path, %2: error code
inline constexpr int kRegistryValueFailed = 2102; // %1: value name, %2: error code
inline constexpr int kSettingSaveFailed = 2103;   // %1: value name, %2: error code
inline constexpr int kSettingsSaved = 2104;
inline constexpr int kIniUnreadable = 2105;   // %1: INI file path
inline constexpr int kSuitesSubFolder = 2106; // folder names below the installation folder
inline constexpr int kSuitesFolder = 2107;
inline constexpr int kDefaultViewer = 2108;
inline constexpr int kMarlowLoadFailed = 2109;   // %1: path, %2: loader's reason
inline constexpr int kRuntimeVersion = 2110;     // %1: library, %2: version
inline constexpr int kRuntimeNoVersion = 2111;   // %1: library
inline constexpr int kRuntimeTooOldFound = 2112; // %1: library, %2: version
inline constexpr int kRuntimeTooOldWhy = 2113;   // %1: minimum version
inline constexpr int kRuntimeTooOldHint = 2114;
inline constexpr int kResourceMissing = 2115; // %1: resource library path
inline constexpr int kSecondInstance = 2116;  // %1: file handed over, or empty

// Run states 1 to 7, then any other state.
inline constexpr int kRunStateFirst = 2201;
inline constexpr int kRunStateOther = 2208;
// Logging levels 1 to 3, then any other level.
inline constexpr int kLoggingLevelFirst = 2211;
inline constexpr int kLoggingLevelOther = 2214;
inline constexpr int kProgress = 2220; // %1: execution number, %2: total

// File exception causes; the hardware error has a second text for platform error 22.
inline constexpr int kFileCauseGeneric = 2301;
inline constexpr int kFileCauseNotFound = 2302;
inline constexpr int kFileCauseBadPath = 2303;
inline constexpr int kFileCauseTooManyOpen = 2304;
inline constexpr int kFileCauseAccessDenied = 2305;
inline constexpr int kFileCauseInvalidFile = 2306;
inline constexpr int kFileCauseRemoveCurrentDir = 2307;
inline constexpr int kFileCauseDirectoryFull = 2308;
inline constexpr int kFileCauseBadSeek = 2309;
inline constexpr int kFileCauseHardIo = 2310;
inline constexpr int kFileCauseHardIo22 = 2311;
inline constexpr int kFileCauseSharing = 2312;
inline constexpr int kFileCauseLock = 2313;
inline constexpr int kFileCauseDiskFull = 2314;
inline constexpr int kFileCauseOther = 2315;
inline constexpr int kArchiveCauseFirst = 2321; // eight texts, generic to other
inline constexpr int kFileReportLine = 2330;    // %1: cause, %2: file, %3: error
inline constexpr int kArchiveReportLine = 2331; // %1: cause, %2: file

// Windows, bars and boxes.
inline constexpr int kResultsTab = 2401;
inline constexpr int kLogTab = 2402;
inline constexpr int kClearTab = 2403;
inline constexpr int kToolBarTitle = 2404;
inline constexpr int kOutputBarTitle = 2405;
inline constexpr int kAvailableTestsTitle = 2406;
inline constexpr int kSuitesTab = 2407;
inline constexpr int kTestsTab = 2408;
inline constexpr int kStatusBarTitle = 2409;
inline constexpr int kCloseRefused = 2410;
inline constexpr int kForceShutdownQuestion = 2411;
inline constexpr int kEndSessionQuestion = 2412;
inline constexpr int kDeleteLogQuestion = 2413;
inline constexpr int kDeleteResultsQuestion = 2414;
inline constexpr int kLogFileDeleted = 2415;
inline constexpr int kResultsFileDeleted = 2416;
inline constexpr int kViewResultsFailed = 2417; // %1: error code
inline constexpr int kViewLogFailed = 2418;     // %1: error code
inline constexpr int kResultLine = 2419;        // %1: text
inline constexpr int kAboutVersion = 2420;      // %1: version
inline constexpr int kAboutNoVersion = 2421;
inline constexpr int kGuideMissing = 2422; // %1: path
inline constexpr int kAppTitle = 2423;
inline constexpr int kStatusTestCase = 2430; // field captions of the status panel
inline constexpr int kStatusFailures = 2431;
inline constexpr int kStatusProgress = 2432;
inline constexpr int kStatusLevel = 2433;
inline constexpr int kStatusState = 2434;
inline constexpr int kMenuFile = 2440;
inline constexpr int kMenuEdit = 2441;
inline constexpr int kMenuView = 2442;
inline constexpr int kMenuTools = 2443;
inline constexpr int kMenuWindow = 2444;
inline constexpr int kMenuHelp = 2445;

// The suite list's column headers, in column order.
inline constexpr int kColumnLabel = 2435;
inline constexpr int kColumnIterations = 2436;
inline constexpr int kColumnBaseName = 2437;
inline constexpr int kColumnComponent = 2438;

// Components and suite properties.
inline constexpr int kSeveralComponents = 2460;
inline constexpr int kComponentsTitle = 2461;
inline constexpr int kComponentsColumnComponent = 2462;
inline constexpr int kComponentsColumnModel = 2463;
inline constexpr int kRemoveComponentBox = 2464;
inline constexpr int kSelectComponentFirst = 2465;
inline constexpr int kAddComponentTitle = 2466;
inline constexpr int kAddComponentFilter = 2467;
inline constexpr int kModelSelection = 2468;
inline constexpr int kSuitePropertiesTitle = 2469;
inline constexpr int kSuitePropertiesComponent = 2470;
inline constexpr int kSuitePropertiesPath = 2471;
inline constexpr int kSuitePropertiesName = 2472;
inline constexpr int kSuitePropertiesExisting = 2473;
inline constexpr int kSuitePropertiesCommand = 2474;
inline constexpr int kComponentButtonAdd = 2475;
inline constexpr int kComponentButtonRemove = 2476;
inline constexpr int kComponentButtonConfigure = 2477;
inline constexpr int kComponentButtonModel = 2478;

// The trees of the left bar, drops into suites, and the texts a suite starts with.
inline constexpr int kSuitesFallbackFolder = 2560; // the suites folder when none is set
inline constexpr int kSuiteFilePattern = 2561;
inline constexpr int kSuiteFileUnopenable = 2562; // %1: file, %2: reason
inline constexpr int kNoProperties = 2563;
inline constexpr int kSelectComponentItem = 2564;
inline constexpr int kDropNoObject = 2565;    // %1: item text
inline constexpr int kDropNotTestCase = 2566; // %1: item text
inline constexpr int kDropCopyFailed = 2567;  // %1: test case
inline constexpr int kNewSuiteTitle = 2568;
inline constexpr int kInitialSuiteComponent = 2569;
inline constexpr int kInitialSuitePath = 2570;
inline constexpr int kInitialSuiteName = 2571;

// The harness properties sheet: caption, page titles, then the controls' labels in page order.
inline constexpr int kHarnessPropertiesTitle = 2500;
inline constexpr int kGeneralPageTitle = 2501;
inline constexpr int kLogPageTitle = 2502;
inline constexpr int kReportingPageTitle = 2503;
inline constexpr int kResultsFileLabel = 2504;
inline constexpr int kSuitesFolderLabel = 2505;
inline constexpr int kNoteLabel = 2506;
inline constexpr int kResultsAppendGroup = 2507;
inline constexpr int kResultsNewFile = 2508;
inline constexpr int kResultsAppend = 2509;
inline constexpr int kNtLogGroup = 2510;
inline constexpr int kNtLoggingEnable = 2511;
inline constexpr int kNtLogOptions = 2512;
inline constexpr int kDefaultButton = 2513;
inline constexpr int kLogFileLabel = 2514;
inline constexpr int kLoggingLevelLabel = 2515;
inline constexpr int kLogDestinationGroup = 2516; // then the three destinations
inline constexpr int kLogAppendGroup = 2520;      // then new file, append
inline constexpr int kLogDateTimeGroup = 2523;    // then time stamps, none
inline constexpr int kSuspectFilesLabel = 2526;
inline constexpr int kReportingGroup = 2527;
inline constexpr int kReportLabelFirst = 2528; // nine, in the page's order
inline constexpr int kSuspectFilesUnchecked = 57672;
inline constexpr int kSuspectFilesChecked = 57673;

// The start-up box: caption, the five page titles, the check box.
inline constexpr int kStartupBoxTitle = 2540;
inline constexpr int kStartupPageTitleFirst = 2541;
inline constexpr int kDontShowStartupBox = 2546;

// The suite window's commands.
inline constexpr int kDeleteOneQuestion = 2640;
inline constexpr int kDeleteSeveralQuestion = 2641; // %1: number of test cases
inline constexpr int kDeletedSelected = 2642;
inline constexpr int kDeletedAll = 2643;
inline constexpr int kConfigureNoSelection = 2644;
inline constexpr int kConfigureSeveralSelected = 2645;
inline constexpr int kMenuSuite = 2646;
inline constexpr int kPrintTitle = 2647; // %1: suite name

// Runs.
inline constexpr int kRunEnded = 2600; // the worker thread's last line
inline constexpr int kRunPaused = 2601;
inline constexpr int kRunResumed = 2602;
inline constexpr int kRunStoppedByUser = 2603;
inline constexpr int kTestStatusOther = 2604;       // a status that is neither 5, 6 nor 7
inline constexpr int kComponentNotFound = 2605;     // %1: class name
inline constexpr int kResultsDeleteFailed = 2606;   // %1: error code
inline constexpr int kResultsWriteFailed = 2607;    // %1: results file path
inline constexpr int kElapsed = 2608;               // %1: hours, %2: minutes, %3: seconds
inline constexpr int kEndOfVariation = 2609;        // %1: source file, %2: line
inline constexpr int kSuiteResumeSaveFailed = 2611; // %1: suite file
inline constexpr int kReportUnreadable = 2612;      // %1: report file, %2: where it was kept
inline constexpr int kReportWriteFailed = 2613;     // %1: report file, %2: reason
inline constexpr int kReportWritten = 2614;         // %1: report file
inline constexpr int kRunModeNoSuite = 2615;
inline constexpr int kResumeRunBusy = 2616;

// The suite's start and end reports.
inline constexpr int kSuiteStartReport = 2620; // %1: suite name
inline constexpr int kSuiteEndReport = 2621;   // %1: suite name
inline constexpr int kSuiteFinalState = 2622;  // %1: run state text
inline constexpr int kSuiteFile = 2623;        // %1: file path
inline constexpr int kSuiteStarted = 2624;     // %1: date and time
inline constexpr int kSuiteEnded = 2625;       // %1: date and time
inline constexpr int kSuiteElapsed = 2626;     // %1: elapsed text
inline constexpr int kSuiteTotal = 2627;       // %1: executions
inline constexpr int kSuitePassed = 2628;      // %1: passed executions
inline constexpr int kSuiteFailed = 2629;      // %1: failed executions
inline constexpr int kSuiteReportEnd = 2630;

// A test case's start and end reports.
inline constexpr int kTestLabel = 2631;     // %1: label
inline constexpr int kTestBaseName = 2632;  // %1: base name
inline constexpr int kTestComponent = 2633; // %1: class name
inline constexpr int kTestOem = 2634;       // %1..: the component's facts
inline constexpr int kTestManufacturer = 2635;
inline constexpr int kTestModel = 2636;
inline constexpr int kTestSerialNumber = 2637;
inline constexpr int kTestDriverVersion = 2638;
inline constexpr int kTestFirmwareVersion = 2639;
inline constexpr int kTestStarted = 2650;   // %1: date and time
inline constexpr int kTestIteration = 2651; // %1: iteration
inline constexpr int kTestEnded = 2652;     // %1: label
inline constexpr int kTestResult = 2653;    // %1: status text
inline constexpr int kTestEndTime = 2654;   // %1: date and time
inline constexpr int kTestElapsed = 2655;   // %1: elapsed text
inline constexpr int kTestReportEnd = 2656;

// Model selection.
inline constexpr int kModelKeyUnreadable = 2004; // %1: key path, %2: error code
inline constexpr int kModelNotLoaded = 2047;     // %1: component class name, %2: model
inline constexpr int kModelNotLoadedBox = 2048;
inline constexpr int kSelectModelFirst = 2479;
inline constexpr int kNewModelButton = 2480;
inline constexpr int kModelSelectionComponent = 2481;
inline constexpr int kModelSelectionModels = 2482;

// Texts of the base library's resource library ("Plinth.lrc").
inline constexpr int kDefaultModelName = 2900;

// Command labels use the command's own number as their text number.

} // namespace harness::ids
