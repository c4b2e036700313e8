#include "probe_options.h"

#include <cstdio>
#include <cstdlib>

namespace {

using Apply = bool (*)(Options* options, const std::string& value);

// One option: its name, the name of its value (null for a switch), what it
// does for --help (lines after the first indented under it), and what it sets.
struct OptionSpec {
  const char* name;
  const char* value;
  const char* help;
  Apply apply;
};

int Number(const std::string& value) { return std::atoi(value.c_str()); }

const OptionSpec kOptions[] = {
    {"--library", "PATH", "library to load (default: TarvexLogo.dll beside the probe)",
     [](Options* o, const std::string& v) { return o->library = v, true; }},
    {"--answer", "ID", "answer the next message box with button ID\n(1 OK, 6 Yes, 7 No); repeat for later boxes",
     [](Options* o, const std::string& v) { return o->answers.push_back(Number(v)), true; }},
    {"--dialog-click", "ID",
     "answer the mode dialog by clicking control ID\n(392 forms mode, 391 or 397 main mode, 2 Cancel)",
     [](Options* o, const std::string& v) { return o->dialogClick = Number(v), true; }},
    {"--dialog-close", nullptr, "answer the mode dialog with its close box",
     [](Options* o, const std::string&) { return o->dialogClick = kDialogCloseBox, true; }},
    {"--dialog-escape", nullptr, "answer the mode dialog with the Escape key",
     [](Options* o, const std::string&) { return o->dialogClick = kDialogEscapeKey, true; }},
    {"--exit-command", "TEXT", "leave TEXT as the command to run at unload",
     [](Options* o, const std::string& v) { return o->exitCommand = v, o->haveExitCommand = true; }},
    {"--exit-show", "N", "show state for the exit command (default 0, hidden)",
     [](Options* o, const std::string& v) { return o->exitShow = Number(v), true; }},
    {"--close-logo", nullptr, "close the logo through the export (twice) before unloading",
     [](Options* o, const std::string&) { return o->closeLogo = true; }},
    {"--pump-ms", "N", "run the message loop N ms after loading (default 200)",
     [](Options* o, const std::string& v) { return o->pumpMs = Number(v), true; }},
    {"--capture", "FILE.png", "save a picture of the logo window",
     [](Options* o, const std::string& v) { return o->capturePath = v, true; }},
    {"--expect-bitmap", "NAME",
     "compare the logo window's client area with bitmap NAME\nof the loaded resource library (reports the share of\n"
     "matching pixels)",
     [](Options* o, const std::string& v) { return o->expectedBitmap = v, true; }},
    {"--timeout", "S",
     "end the probe with exit code 3 after S seconds (default 60;\n0 waits for ever, for a person answering by hand)",
     [](Options* o, const std::string& v) { return o->timeoutSeconds = Number(v), true; }},
    {"--relaunch", "LINE",
     "start the probe again with exactly LINE as its command line,\nwait for it, and pass its output and exit code "
     "through",
     [](Options* o, const std::string& v) { return o->relaunchLine = v, true; }},
    {"--cycles", "N",
     "load and unload the library N times in this process and\nreport the process's GDI and USER objects, kernel "
     "handles,\nloaded modules and private bytes before the first cycle,\nafter the first and after the last "
     "(--pump-ms applies to\neach cycle)",
     [](Options* o, const std::string& v) { return (o->cycles = Number(v)) >= 1; }},
    {"--unregister-logo-class", nullptr,
     "with --cycles: after each unload, try to remove the logo\nwindow class too (the library removes it itself at "
     "unload)",
     [](Options* o, const std::string&) { return o->unregisterLogoClass = true; }},
    {"--preload", "PATH",
     "load the library PATH into the process before the start-up\nlibrary, as a host may hold a module of the same "
     "name",
     [](Options* o, const std::string& v) { return o->preloads.push_back(v), true; }},
    {"--status", "TEXT", "after loading, show TEXT as the logo's status line\n(LogoSetStatusText); repeat for more "
                         "calls, in order",
     [](Options* o, const std::string& v) { return o->statusTexts.push_back(v), true; }},
    {"--status-pump-ms", "N",
     "run the message loop N ms after each --status (default 200);\na capture is taken after the last",
     [](Options* o, const std::string& v) { return o->statusPumpMs = Number(v), true; }},
    {"--status-after-close", "TEXT",
     "with --close-logo: call LogoSetStatusText once more\nafter the logo is closed",
     [](Options* o, const std::string& v) { return o->statusAfterClose = v, o->haveStatusAfterClose = true; }},
    {"--status-from-thread", "TEXT",
     "after the --status lines, call LogoSetStatusText from a\nworker thread while this one waits for it (at most 10 "
     "s),\nthen run the message loop",
     [](Options* o, const std::string& v) { return o->statusFromThread = v, o->haveStatusFromThread = true; }},
    {"--from-thread", "close|unload",
     "after the rest, call LogoClose or unload the library\nfrom a worker thread while this one waits for it, then\n"
     "run the message loop; after an unload, load the library\nagain here and close its logo",
     [](Options* o, const std::string& v) { return o->fromThread = v, v == "close" || v == "unload"; }},
    {"--worker-wait", "pump|plain",
     "how this thread waits for a worker: dispatching its\nmessages meanwhile, as a host's UI thread does (pump,\n"
     "the default), or pumping nothing (plain)",
     [](Options* o, const std::string& v) {
       o->workerWait = v == "plain" ? WorkerWait::Plain : WorkerWait::Pumping;
       return v == "plain" || v == "pump";
     }},
    {"--end-process", "here|worker",
     "after the report, end the process with exit code 7 without\nunloading the library, from this thread (as a host "
     "that\nreturns from main) or from a worker while this one pumps",
     [](Options* o, const std::string& v) { return o->endProcess = v, v == "here" || v == "worker"; }},
    {"--cycle-story", "STORY",
     "with --cycles: each load on a thread of its own that pumps\nwithout pause while a worker calls LogoClose\n"
     "(close-unload) or LogoSetStatusText (status-unload) and\nat once unloads the library, or unloads it while that\n"
     "thread paints the logo (paint-unload); counts crashes,\nlogo windows left and libraries left loaded",
     [](Options* o, const std::string& v) {
       o->cycleStory = v;
       return v == "close-unload" || v == "status-unload" || v == "paint-unload";
     }},
    {"--pretty", nullptr, "indent the report, one field a line",
     [](Options* o, const std::string&) { return o->pretty = true; }},
    {"--report", "FILE", "write the report to FILE and a short summary for a person\nto the standard output",
     [](Options* o, const std::string& v) { return o->reportPath = v, true; }},
    {"--help", nullptr, "show this text", nullptr},
};

const char kUsageStart[] =
    "Usage: startup-probe.exe [options] [switches for the library...]\n"
    "\n"
    "Loads the start-up library the way the host application does and prints\n"
    "one JSON object describing what the library settled.\n"
    "\n"
    "Options:\n";

const char kUsageEnd[] =
    "\n"
    "The probe is the host: the library looks for its resource libraries\n"
    "(OxaRes<N>.dll) beside startup-probe.exe, not beside --library. To check an\n"
    "installation, copy the probe into the application's folder and run it there.\n"
    "A run is a real start: it fills in the running account's settings from the\n"
    "machine's new-user defaults, as the application's own start does.\n"
    "\n"
    "The report ends with \"notes\", what the switches kept away as asked (the\n"
    "logo, for one), and \"problems\": what went wrong, in plain sentences (empty\n"
    "for a clean start). Its \"diagnostics\" holds the lines the library\n"
    "wrote with OutputDebugStringW (null when another debug-output viewer is\n"
    "running). The standard error carries events as they happen, one JSON line\n"
    "each: the message boxes and the mode dialog, a warning, a timeout.\n"
    "\n"
    "Anything else on the command line is left for the library to see, e.g.\n"
    "/nologo, /form, /standard or a file name ending in .frm or .pac.\n"
    "Without --answer or --dialog-* options nothing is answered: a person\n"
    "answers the boxes and the dialog on the screen.\n";

// The usage: each option's name and value in a column of 24, its help beside
// and under it.
std::string Usage() {
  std::string text = kUsageStart;
  for (const OptionSpec& option : kOptions) {
    std::string line = std::string("  ") + option.name + (option.value ? std::string(" ") + option.value : "");
    line.resize(line.size() < 26 ? 26 : line.size() + 2, ' ');
    for (const char* help = option.help; *help != '\0'; ++help) {
      line += *help;
      if (*help == '\n') line += std::string(26, ' ');
    }
    text += line + "\n";
  }
  return text + kUsageEnd;
}

const OptionSpec* FindOption(const std::string& name) {
  for (const OptionSpec& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

}  // namespace

bool ParseOptions(const std::vector<std::string>& arguments, Options* options) {
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      std::fputs(Usage().c_str(), stdout);
      std::exit(0);
    }
    // Anything else is for the library's command-line tests.
    if (arg.compare(0, 2, "--") != 0) continue;
    const OptionSpec* option = FindOption(arg);
    if (option == nullptr) {
      std::fprintf(stderr, "startup-probe: unknown option %s (see --help)\n", arg.c_str());
      return false;
    }
    std::string value;
    if (option->value != nullptr) {
      if (i + 1 >= arguments.size()) return false;
      value = arguments[++i];
    }
    if (!option->apply(options, value)) return false;
  }
  return true;
}
