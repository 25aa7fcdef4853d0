// moro-cli map: the state-mapping network of the chaotic map, for one parameter or all of them.
#include <cstdio>

#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/Files.h"
#include "cli/Options.h"
#include "security/Plot.h"
#include "security/StateNetwork.h"

namespace {

nlohmann::json CountsJson(const NetworkCounts& c) {
    return {{"param", c.wParam},
            {"cycles", c.nCycles},
            {"fixed_points", c.nFixedPoints},
            {"longest_cycle", c.nLongestCycle},
            {"states_on_cycles", c.nCyclicStates},
            {"longest_transient", c.nLongestTransient},
            {"mean_transient", c.dMeanTransient},
            {"states_ending_at_zero", c.nZeroBasin}};
}

void PrintNetwork(const StateNetwork& net, bool bJson) {
    const NetworkCounts& c = net.counts;
    if (bJson) {
        nlohmann::json out = CountsJson(c);
        nlohmann::json cycles = nlohmann::json::array();
        for (const MapCycle& cycle : net.cycles)
            cycles.push_back({{"smallest_state", cycle.wSmallest}, {"length", cycle.nLength}, {"basin", cycle.nBasin}});
        out["cycle_list"] = cycles;
        out["in_degrees"] = net.inDegrees;
        std::printf("%s\n", out.dump(2).c_str());
        return;
    }
    std::printf("parameter           %u (%.6f)\n", c.wParam, c.wParam / 65536.0);
    std::printf("cycles              %u, %u of them fixed points\n", c.nCycles, c.nFixedPoints);
    std::printf("longest cycle       %u states\n", c.nLongestCycle);
    std::printf("states on cycles    %u of 65536\n", c.nCyclicStates);
    std::printf("longest transient   %u steps\n", c.nLongestTransient);
    std::printf("mean transient      %.3f steps\n", c.dMeanTransient);
    std::printf("states ending at 0  %u (%.2f %%)\n", c.nZeroBasin, 100.0 * c.nZeroBasin / 65536.0);
    std::printf("\nsmallest state  length  states ending on it\n");
    for (const MapCycle& cycle : net.cycles) std::printf("%14u  %6u  %u\n", cycle.wSmallest, cycle.nLength, cycle.nBasin);
    std::printf("\npreimages  states\n");
    for (size_t d = 0; d < net.inDegrees.size(); ++d)
        if (net.inDegrees[d]) std::printf("%9zu  %u\n", d, net.inDegrees[d]);
}

class CMap : public cli::CCommand {
public:
    void Define(CLI::App& app) override {
        app.footer("In 16-bit fixed point the chaotic map sends each of the 65536 states to one state, so\n"
                   "every orbit runs into a cycle. --param P prints the network of one parameter: its\n"
                   "cycles (by smallest state, with their length and the states that end on them),\n"
                   "transients and preimage counts. --sweep prints one line per parameter: cycles, fixed\n"
                   "points, longest cycle, states on cycles, longest and mean transient, states ending at 0.\n"
                   "\n"
                   "Plots (PNG, no lettering): with --param, the cycles by log2 of their length (bins 0 to\n"
                   "16 from the left; above: how many cycles, below: share of all states ending on them).\n"
                   "With --sweep, the orbit diagram: above, for 1024 evenly spaced parameters from left to\n"
                   "right, the cycles that the orbits of 16 evenly spread states end on (state 0 at the\n"
                   "bottom, 65535 at the top; darker where more states lie on them, red for cycles under\n"
                   "1024 states, such as 0 alone); below, log2 of the number of cycles (blue) and of the\n"
                   "longest cycle (red), 0 to 16, for every parameter swept.");
        app.add_option("--param", m_nParam, "the map's parameter (0 to 65535)")
            ->type_name("P")
            ->transform(cli::WholeNumber("--param", 0, 65535));
        app.add_flag("--sweep", m_bSweep, "every parameter from 0 to 65535 (on all cores: about 20\nseconds on two)");
        app.add_option("--step", m_nStep, "with --sweep: every S-th parameter only (default 1)")
            ->type_name("S")
            ->transform(cli::WholeNumber("--step", 1, 65535));
        app.add_flag("--json", m_bJson, "print JSON instead of tables");
        app.add_option("--plot", m_plot, "also draw the plot into OUT.png")->type_name("OUT.png");
    }

    int Run(const CLI::App& app) override {
        if (m_bSweep == (app.count("--param") > 0)) return cli::UsageError(app, "give either --param P or --sweep");
        if (app.count("--step") && !m_bSweep) return cli::UsageError(app, "--step goes with --sweep");
        if (!m_plot.empty() && cli::KindOf(m_plot) != cli::FileKind::Png)
            return cli::UsageError(app, "--plot writes PNG files: '" + m_plot + "' does not end in .png");
        CPlot plot;
        if (!m_bSweep) {
            StateNetwork net = BuildStateNetwork(WORD(m_nParam));
            PrintNetwork(net, m_bJson);
            if (!m_plot.empty() && !(PlotCycleLengths(plot, net) && cli::SaveOrExplain(plot.Image(), m_plot, {})))
                return cli::kExitFailed;
            return cli::kExitOk;
        }
        std::vector<NetworkCounts> sweep = SweepStateNetworks(0, 65535, DWORD(m_nStep));
        if (m_bJson) {
            nlohmann::json rows = nlohmann::json::array();
            for (const NetworkCounts& c : sweep) rows.push_back(CountsJson(c));
            std::printf("%s\n", nlohmann::json{{"parameters", rows}}.dump(1).c_str());
        } else {
            std::printf("param  cycles  fixed  longest cycle  on cycles  longest transient  mean transient  ending at 0\n");
            for (const NetworkCounts& c : sweep)
                std::printf("%5u  %6u  %5u  %13u  %9u  %17u  %14.3f  %11u\n", c.wParam, c.nCycles, c.nFixedPoints, c.nLongestCycle,
                            c.nCyclicStates, c.nLongestTransient, c.dMeanTransient, c.nZeroBasin);
        }
        if (!m_plot.empty() && !(PlotOrbitDiagram(plot, 0, 65535, sweep) && cli::SaveOrExplain(plot.Image(), m_plot, {})))
            return cli::kExitFailed;
        return cli::kExitOk;
    }

private:
    unsigned long long m_nParam = 0, m_nStep = 1;
    bool m_bSweep = false, m_bJson = false;
    std::string m_plot;
};

}  // namespace

MORO_CLI_COMMAND(CMap, "map", "the chaotic map's cycles and transients, for one parameter or all");
