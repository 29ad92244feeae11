#include "app/CommandLine.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>

namespace zelk {
namespace {

// The toolkit's documented options: those that take a value, and the switches.
constexpr std::string_view kValued[] = {"platform",        "platformpluginpath",
                                        "platformtheme",   "plugin",
                                        "qwindowgeometry", "qwindowicon",
                                        "qwindowtitle",    "display",
                                        "geometry",        "style",
                                        "stylesheet",      "session"};
constexpr std::string_view kSwitches[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

template <std::size_t N>
bool In(const std::string_view (&names)[N], std::string_view name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// zelk --compare OLD NEW --top N [--basis apparent|compressed], in any order.
CommandLine ParseCompareTop(int argc, char** argv) {
    CommandLine line;
    line.What = CommandLine::Action::CompareTop;
    const auto refuse = [&line](std::string why) {
        if (line.Refusal.empty()) {
            line.Refusal = "zelk: " + std::move(why);
        }
    };
    std::string top;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--top" || arg == "--basis" || arg == "--compare") && i + 1 >= argc) {
            refuse(std::string(arg) + " の値がありません");
        } else if (arg == "--top") {
            top = argv[++i];
        } else if (arg == "--basis") {
            const std::string_view basis = argv[++i];
            line.CompressedBasis = basis == "compressed";
            if (basis != "apparent" && basis != "compressed") {
                refuse("--basis は apparent か compressed です: " + std::string(basis));
            }
        } else if (arg == "--compare" && line.Baseline.empty()) {
            line.Baseline = argv[++i];
        } else if (line.File.empty() && arg != "--compare") {
            line.File = arg;
        } else {
            refuse("余分な引数です: " + std::string(arg));
        }
    }
    const bool digits = !top.empty() && top.size() <= 18 &&
                        top.find_first_not_of("0123456789") == std::string::npos;
    line.Top = digits ? std::stoull(top) : 0;
    if (line.File.empty() || line.Baseline.empty()) {
        refuse("使い方: zelk --compare OLD NEW --top N [--basis apparent|compressed]");
    } else if (line.Top == 0) {
        refuse("--top の値は 1 以上の整数です: " + top);
    }
    return line;
}

bool AsksForTop(int argc, char** argv) {
    bool compare = false;
    bool top = false;
    for (int i = 1; i < argc; ++i) {
        compare = compare || std::strcmp(argv[i], "--compare") == 0;
        top = top || std::strcmp(argv[i], "--top") == 0;
    }
    return compare && top;
}

}  // namespace

std::string CommandLine::Usage() {
    return "zelk: 使い方: zelk [FILE | DIRECTORY | -]\n"
           "             zelk --compare OLD FILE|DIRECTORY\n"
           "             zelk --compare OLD NEW --top N [--basis apparent|compressed]\n"
           "             zelk --export FILE|- [DIRECTORY]\n"
           "             zelk --help | --version\n"
           "  FILE              開くスキャンファイル (ncdu エクスポート、gzip・zstd 圧縮も可)\n"
           "  DIRECTORY         このフォルダを探索する (ドライブ a: として)\n"
           "  -                 スキャンファイルを標準入力から読む\n"
           "  --compare OLD     FILE か DIRECTORY の探索結果を、以前のスキャンファイル OLD "
           "と比べる\n"
           "  --export FILE|-   DIRECTORY (既定: 現在のディレクトリのボリュームのルート) を\n"
           "                    ウィンドウなしで探索し、FILE (- は標準出力) へ書き出す\n"
           "  --top N           ウィンドウなしで、OLD から NEW (ファイルかディレクトリ) までに\n"
           "                    最も増えた N 個のディレクトリを、増加・現在・以前・パスの順に\n"
           "                    タブ区切りで表示する (--basis compressed: 圧縮後のサイズで)\n"
           "  --help            この使い方を表示する\n"
           "  --version         バージョンを表示する\n"
           "  ウィンドウは Qt の標準オプション (-display、-platform、-style など) も受け付ける\n";
}

std::string CommandLine::VersionText() {
    return "zelk " ZELK_VERSION "\n";
}

CommandLine CommandLine::Parse(int argc, char** argv) {
    CommandLine line;
    if (argc >= 2 && std::strcmp(argv[1], "--export") == 0) {
        line.What = Action::Export;
        return line;
    }
    if (AsksForTop(argc, argv)) {
        return ParseCompareTop(argc, argv);
    }
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            line.What = Action::Help;
            return line;
        }
        if (arg == "--version") {
            line.What = Action::Version;
            return line;
        }
        if (arg == "--compare" && i + 1 < argc && line.Baseline.empty()) {
            line.Baseline = argv[++i];
            continue;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            if (!line.File.empty()) {
                line.What = Action::Refuse;
                line.Refusal = "zelk: 開けるファイルは一つだけです: " + std::string(arg);
                return line;
            }
            line.File = arg;
            continue;
        }
        // The toolkit takes its options with one dash or two, the value after a space or '='.
        std::string_view name = arg.substr(arg[1] == '-' ? 2 : 1);
        const std::size_t equals = name.find('=');
        const std::string_view bare = name.substr(0, equals);
        if (In(kSwitches, bare) && equals == std::string_view::npos) {
            continue;
        }
        if (!In(kValued, bare) || (equals == std::string_view::npos && i + 1 >= argc)) {
            line.What = Action::Refuse;
            line.Refusal = "zelk: 不明なオプションです: " + std::string(arg);
            return line;
        }
        const std::string value =
            equals != std::string_view::npos ? std::string(name.substr(equals + 1)) : argv[++i];
        if (bare == "platform") {
            line.Platform = value;
        } else if (bare == "display") {
            line.Display = value;
        }
    }
    if (!line.Baseline.empty() && line.File.empty()) {
        line.What = Action::Refuse;
        line.Refusal = "zelk: 比べる FILE か DIRECTORY がありません: --compare " + line.Baseline;
    }
    return line;
}

}  // namespace zelk
