#include "probe_options.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char kUsage[] =
    "Usage: startup-probe.exe [options] [switches for the library...]\n"
    "\n"
    "Loads the start-up library the way the host application does and prints\n"
    "one JSON object describing what the library settled.\n"
    "\n"
    "Options:\n"
    "  --library PATH          library to load (default: TarvexLogo.dll beside the probe)\n"
    "  --answer ID             answer the next message box with button ID\n"
    "                          (1 OK, 6 Yes, 7 No); repeat for later boxes\n"
    "  --dialog-click ID       answer the mode dialog by clicking control ID\n"
    "                          (392 forms mode, 391 or 397 main mode, 2 Cancel)\n"
    "  --dialog-close          answer the mode dialog with its close box\n"
    "  --dialog-escape         answer the mode dialog with the Escape key\n"
    "  --exit-command TEXT     leave TEXT as the command to run at unload\n"
    "  --exit-show N           show state for the exit command (default 0, hidden)\n"
    "  --close-logo            close the logo through the export (twice) before unloading\n"
    "  --pump-ms N             run the message loop N ms after loading (default 200)\n"
    "  --capture FILE.png      save a picture of the logo window\n"
    "  --expect-bitmap NAME    compare the logo window's client area with bitmap NAME\n"
    "                          of the loaded resource library (reports the share of\n"
    "                          matching pixels)\n"
    "  --timeout S             end the probe with exit code 3 after S seconds (default 60;\n"
    "                          0 waits for ever, for a person answering by hand)\n"
    "  --relaunch LINE         start the probe again with exactly LINE as its command line,\n"
    "                          wait for it, and pass its output and exit code through\n"
    "  --cycles N              load and unload the library N times in this process and\n"
    "                          report the process's GDI and USER objects, kernel handles,\n"
    "                          loaded modules and private bytes before the first cycle,\n"
    "                          after the first and after the last (--pump-ms applies to\n"
    "                          each cycle)\n"
    "  --unregister-logo-class with --cycles: after each unload, try to remove the logo\n"
    "                          window class too (the library removes it itself at unload)\n"
    "  --preload PATH          load the library PATH into the process before the start-up\n"
    "                          library, as a host may hold a module of the same name\n"
    "  --status TEXT           after loading, show TEXT as the logo's status line\n"
    "                          (LogoSetStatusText); repeat for more calls, in order\n"
    "  --status-pump-ms N      run the message loop N ms after each --status (default 200);\n"
    "                          a capture is taken after the last\n"
    "  --status-after-close TEXT  with --close-logo: call LogoSetStatusText once more\n"
    "                          after the logo is closed\n"
    "  --status-from-thread TEXT  after the --status lines, call LogoSetStatusText from a\n"
    "                          worker thread while this one waits for it (at most 10 s,\n"
    "                          pumping nothing), then run the message loop\n"
    "  --from-thread close|unload  after the rest, call LogoClose or unload the library\n"
    "                          from a worker thread while this one waits for it, then\n"
    "                          run the message loop; after an unload, load the library\n"
    "                          again here and close its logo\n"
    "  --pretty                indent the report, one field a line\n"
    "  --report FILE           write the report to FILE and a short summary for a person\n"
    "                          to the standard output\n"
    "  --help                  show this text\n"
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
    "wrote with OutputDebugStringA (null when another debug-output viewer is\n"
    "running). The standard error carries events as they happen, one JSON line\n"
    "each: the message boxes and the mode dialog, a warning, a timeout.\n"
    "\n"
    "Anything else on the command line is left for the library to see, e.g.\n"
    "/nologo, /form, /standard or a file name ending in .frm or .pac.\n"
    "Without --answer or --dialog-* options nothing is answered: a person\n"
    "answers the boxes and the dialog on the screen.\n";

}  // namespace

bool ParseOptions(const std::vector<std::string>& arguments, Options* options) {
  const size_t count = arguments.size();
  for (size_t i = 1; i < count; ++i) {
    const std::string& arg = arguments[i];
    auto next = [&](std::string* value) {
      if (i + 1 >= count) return false;
      *value = arguments[++i];
      return true;
    };
    std::string value;
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "--library") {
      if (!next(&options->library)) return false;
    } else if (arg == "--answer") {
      if (!next(&value)) return false;
      options->answers.push_back(std::atoi(value.c_str()));
    } else if (arg == "--dialog-click") {
      if (!next(&value)) return false;
      options->dialogClick = std::atoi(value.c_str());
    } else if (arg == "--dialog-close") {
      options->dialogClick = kDialogCloseBox;
    } else if (arg == "--dialog-escape") {
      options->dialogClick = kDialogEscapeKey;
    } else if (arg == "--expect-bitmap") {
      if (!next(&options->expectedBitmap)) return false;
    } else if (arg == "--exit-command") {
      if (!next(&options->exitCommand)) return false;
      options->haveExitCommand = true;
    } else if (arg == "--exit-show") {
      if (!next(&value)) return false;
      options->exitShow = std::atoi(value.c_str());
    } else if (arg == "--close-logo") {
      options->closeLogo = true;
    } else if (arg == "--pump-ms") {
      if (!next(&value)) return false;
      options->pumpMs = std::atoi(value.c_str());
    } else if (arg == "--capture") {
      if (!next(&options->capturePath)) return false;
    } else if (arg == "--timeout") {
      if (!next(&value)) return false;
      options->timeoutSeconds = std::atoi(value.c_str());
    } else if (arg == "--relaunch") {
      if (!next(&options->relaunchLine)) return false;
    } else if (arg == "--cycles") {
      if (!next(&value)) return false;
      options->cycles = std::atoi(value.c_str());
      if (options->cycles < 1) return false;
    } else if (arg == "--unregister-logo-class") {
      options->unregisterLogoClass = true;
    } else if (arg == "--status") {
      if (!next(&value)) return false;
      options->statusTexts.push_back(value);
    } else if (arg == "--status-pump-ms") {
      if (!next(&value)) return false;
      options->statusPumpMs = std::atoi(value.c_str());
    } else if (arg == "--status-after-close") {
      if (!next(&options->statusAfterClose)) return false;
      options->haveStatusAfterClose = true;
    } else if (arg == "--status-from-thread") {
      if (!next(&options->statusFromThread)) return false;
      options->haveStatusFromThread = true;
    } else if (arg == "--from-thread") {
      if (!next(&options->fromThread)) return false;
      if (options->fromThread != "close" && options->fromThread != "unload") return false;
    } else if (arg == "--pretty") {
      options->pretty = true;
    } else if (arg == "--report") {
      if (!next(&options->reportPath)) return false;
    } else if (arg == "--preload") {
      if (!next(&value)) return false;
      options->preloads.push_back(value);
    } else if (arg.compare(0, 2, "--") == 0) {
      std::fprintf(stderr, "startup-probe: unknown option %s (see --help)\n", arg.c_str());
      return false;
    }
    // Anything else is for the library's command-line tests.
  }
  return true;
}
