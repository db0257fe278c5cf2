// Which options go together: each group of options is for one kind of answer, and a word
// from another group, or one a group needs and lacks, refuses the command line.
#include "app/options.h"

#include <utility>

namespace {

// Refuses the command line, saying why in the parts given.
template <typename... Parts> Options refuse(Options& options, const Parts&... why) {
    (options.error += ... += why);
    return options;
}

// The scene's own options and the window's, each with its word.
std::pair<bool, const char*> sceneOptions(const Options& options, int k) {
    const std::pair<bool, const char*> all[] = {
        {options.print, "'--print'"},
        {!options.snapshot.empty(), "'--snapshot'"},
        {options.about, "'--about'"},
        {options.explain, "'--explain'"},
        {options.hasStart, "'--start'"},
        {options.hasDir, "'--dir'"},
        {options.hasBox, "'--box'"},
        {options.hasRay, "'--ray'"},
        {options.frame, "'--frame'"},
        {options.step > 0, "'--step'"},
        {options.scene != nullptr, "'--scene'"},
        {options.predict, "'--predict'"},
        {options.view3d, "'--view 3d'"},
        {options.hasTurn, "'--turn'"},
    };
    return all[k];
}

// How many options sceneOptions knows.
constexpr int SCENE_OPTIONS = 14;

// --corpus and --methods answer alone.
Options refuseAlone(Options& options, const std::string& glutOption) {
    const char* alone = options.corpus ? "--corpus" : "--methods";
    const std::pair<bool, const char*> others[] = {
        {options.corpus && options.listMethods, "'--methods'"},
        {!options.rays.empty(), "'--rays'"},
        {options.hasMethod, "'--method'"},
        {!options.compare.empty(), "'--compare'"},
        {options.jobs > 0 || options.differ || options.classes, "an option of --rays"},
        {!glutOption.empty(), "a window's option"},
    };
    for (int k = 0; k < SCENE_OPTIONS; ++k) {
        if (sceneOptions(options, k).first) {
            return refuse(options, "option '", alone, "' cannot go with ",
                          sceneOptions(options, k).second);
        }
    }
    for (const auto& [given, word] : others) {
        if (given) {
            return refuse(options, "option '", alone, "' cannot go with ", word);
        }
    }
    return options;
}

// --rays answers a file of rays, or with --print --line N explains one of them, or with
// --compare judges answers to them.
Options refuseRays(Options& options, const std::string& glutOption) {
    const bool one = options.line > 0;
    const bool judging = !options.compare.empty();
    for (int k = 0; k < SCENE_OPTIONS; ++k) {
        const auto [given, word] = sceneOptions(options, k);
        const bool allowed = one && (k == 0 || k == 3); // --print and --explain
        if (given && !allowed) {
            return refuse(options, "option '--rays' cannot go with ", word);
        }
    }
    const std::pair<bool, const char*> others[] = {
        {!glutOption.empty(), "a window's option"},
        {one && !options.print, "'--line' without '--print'"},
        {one && (options.jobs > 0 || options.differ || options.classes || judging),
         "'--line' and another option of --rays"},
        {one && options.bothMethods, "'--line' and '--method both'"},
        {judging && options.hasMethod, "'--compare' and '--method'"},
        {judging && (options.differ || options.classes),
         "'--compare' and '--differ' or '--classes'"},
        {judging && options.rays == "-" && options.compare == "-",
         "'--compare -': the rays and the answers cannot both be standard input"},
    };
    for (const auto& [given, word] : others) {
        if (given) {
            return refuse(options, "option '--rays' cannot go with ", word);
        }
    }
    if (options.differ && !options.bothMethods) {
        return refuse(options, "option '--differ' needs '--method both'");
    }
    return options;
}

} // namespace

Options refuseCombinations(Options& options, const std::string& glutOption) {
    // What needs another option first.
    const std::pair<bool, const char*> needs[] = {
        {!options.compare.empty() && options.rays.empty(), "option '--compare' needs '--rays'"},
        {(!options.columns.empty() || options.insideAs >= 0 || options.ulps > 0 ||
          options.hasExpect) &&
             options.compare.empty(),
         "options '--columns', '--inside-as', '--ulps' and '--expect' need '--compare'"},
        {options.line > 0 && options.rays.empty(), "option '--line' needs '--rays'"},
    };
    for (const auto& [given, why] : needs) {
        if (given) {
            return refuse(options, why);
        }
    }
    if (options.corpus || options.listMethods) {
        return refuseAlone(options, glutOption);
    }
    if (!options.rays.empty()) {
        return refuseRays(options, glutOption);
    }
    for (const auto& [given, word] :
         {std::pair{options.jobs > 0, "--jobs"}, std::pair{options.differ, "--differ"},
          std::pair{options.classes, "--classes"},
          std::pair{options.bothMethods, "--method both"}}) {
        if (given) {
            return refuse(options, "option '", word, "' needs '--rays'");
        }
    }
    for (const auto& [given, word] :
         {std::pair{options.hasRay, "--ray"}, std::pair{options.scene != nullptr, "--scene"}}) {
        if (given && (options.hasStart || options.hasDir || options.hasBox ||
                      (options.hasRay && options.scene != nullptr))) {
            return refuse(options, "option '", word,
                          "' cannot go with '--start', '--dir', '--box', '--ray' or '--scene'");
        }
    }
    // The walk and the framed view belong to the teaching view in the window.
    for (const auto& [given, word] :
         {std::pair{options.frame, "--frame"}, std::pair{options.step > 0, "--step"}}) {
        if (given && (!options.explain || options.print)) {
            return refuse(options, "option '", word, "' needs '--explain' and a window");
        }
    }
    if (options.hasTurn && !options.view3d) {
        return refuse(options, "option '--turn' needs '--view 3d'");
    }
    if (!options.print) {
        return options;
    }
    for (const auto& [given, word] :
         {std::pair{!options.snapshot.empty(), "--snapshot"},
          std::pair{options.predict, "--predict"}, std::pair{options.view3d, "--view 3d"}}) {
        if (given) {
            return refuse(options, "option '", word, "' cannot go with '--print'");
        }
    }
    if (options.about) {
        return refuse(options, "option '--about' cannot go with '--print': there is no window "
                               "to show its line in");
    }
    if (!glutOption.empty()) {
        return refuse(options, "option '", glutOption, "' cannot go with '--print'");
    }
    return options;
}
