// Per-sensor limits and the JSON document: what a test rig reads of a session.

#include "CliProcess.h"
#include "SysexFeed.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;

// The histogram's line: `counts` at their indices, zeros elsewhere.
std::string HistogramLine(const std::vector<std::pair<int, int>>& counts) {
    std::vector<int> histogram(256, 0);
    for (const auto& [index, count] : counts) {
        histogram[index] = count;
    }
    std::string line = "[";
    for (int i = 0; i < 256; ++i) {
        line += (i > 0 ? "," : "") + std::to_string(histogram[i]);
    }
    return line + "]";
}

// One sensor over four scans: 10, 11, 9, 10.
std::string SteadyCapture(const TempDir& dir) {
    const std::string path = dir / "steady.syx";
    WriteBytes(path, Concat({ScanFrame({10}), ScanFrame({11}), ScanFrame({9}), ScanFrame({10})}));
    return path;
}

Json Document(const CliRun& run) {
    return Json::parse(run.out, nullptr, false);
}

} // namespace

TEST(CliJson, TheOneSensorExampleIsTheWholeDocumentInItsOrder) {
    TempDir dir;
    const std::string capture = SteadyCapture(dir);

    const CliRun run = RunCli({"decode", "--json", "-", "--max-sensor-rms", "1.5", capture});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "{\n"
              "  \"format\": \"wintesseltest-scan/1\",\n"
              "  \"scanCount\": 4,\n"
              "  \"scanLength\": 1,\n"
              "  \"stripLength\": 93,\n"
              "  \"inputLost\": {\"bytes\":0,\"events\":0},\n"
              "  \"strip\": {\"sensors\":1,\"scans\":4,\"samples\":4,\"meanOfAllSensors\":10,"
              "\"avgDeviation\":0.70710677,\"maxSwing\":2,\"maxPositiveDeviation\":1,"
              "\"maxNegativeDeviation\":1,\"deadOn\":2,\"plus1\":1,\"minus1\":1,\"plus2\":0,"
              "\"minus2\":0,\"threeOrMore\":0},\n"
              "  \"histogram\": " +
                  HistogramLine({{0, 2}, {1, 1}, {255, 1}}) +
                  ",\n"
                  "  \"sensors\": [\n"
                  "    {\"index\":0,\"mean\":10,\"meanByte\":10,\"min\":9,\"max\":11,\"swing\":2,"
                  "\"rms\":0.70710677,\"calibLow\":0,\"calibHigh\":0,\"fails\":[]}\n"
                  "  ],\n"
                  "  \"limits\": {\"maxAvgDeviation\":null,\"maxSwing\":null,\"maxSensorRms\":1.5,"
                  "\"maxSensorSwing\":null},\n"
                  "  \"verdict\": \"pass\"\n"
                  "}\n");

    // The same document into a file, with the text outputs back on standard output.
    const CliRun toFile = RunCli(
        {"decode", "--json", dir / "steady.json", "--state", "--max-sensor-rms", "1.5", capture});
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(ReadBytes(dir / "steady.json"), run.out);
    EXPECT_EQ(toFile.out.rfind("scanCount 4\n", 0), 0u) << toFile.out;
}

struct LimitCase {
    const char* name;
    std::vector<std::string> limits;
    std::string errors; // standard error, line by line
    std::vector<std::string> fails;
    std::string limitsLine; // the document's "limits", exactly as printed
};

// The limits as the document prints them: null for a limit not given.
std::string LimitsLine(const char* avgDeviation, const char* swing, const char* sensorRms,
                       const char* sensorSwing) {
    return std::string("  \"limits\": {\"maxAvgDeviation\":") + avgDeviation +
           ",\"maxSwing\":" + swing + ",\"maxSensorRms\":" + sensorRms +
           ",\"maxSensorSwing\":" + sensorSwing + "},";
}

void PrintTo(const LimitCase& c, std::ostream* os) {
    *os << c.name;
}

class CliSensorLimits : public ::testing::TestWithParam<LimitCase> {};

// The sensor's figures are rms 0.70710677 (shown so; the float is 0.7071067690...) and
// swing 2: a limit at the figure passes, just below fails.
TEST_P(CliSensorLimits, EachFigureAboveItsLimitGivesALineAndFailsTheSensor) {
    TempDir dir;
    std::vector<std::string> args{"decode", "--json", "-"};
    args.insert(args.end(), GetParam().limits.begin(), GetParam().limits.end());
    args.push_back(SteadyCapture(dir));

    const CliRun run = RunCli(args);

    const bool fails = !GetParam().errors.empty();
    EXPECT_EQ(run.status, fails ? 1 : 0);
    EXPECT_EQ(run.err, GetParam().errors);
    const Json document = Document(run);
    ASSERT_FALSE(document.is_discarded()) << run.out;
    EXPECT_EQ(document["sensors"][0]["fails"].get<std::vector<std::string>>(), GetParam().fails);
    EXPECT_EQ(document["verdict"], fails ? "fail" : "pass");
    const std::vector<std::string> lines = Lines(run.out);
    EXPECT_NE(std::find(lines.begin(), lines.end(), GetParam().limitsLine), lines.end()) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    AtBelowAndAbove, CliSensorLimits,
    ::testing::Values(LimitCase{"RmsAtTheFigure",
                                {"--max-sensor-rms", "0.70710677"},
                                "",
                                {},
                                LimitsLine("null", "null", "0.70710677", "null")},
                      LimitCase{"RmsJustAbove",
                                {"--max-sensor-rms", "0.7071068"},
                                "",
                                {},
                                LimitsLine("null", "null", "0.7071068", "null")},
                      LimitCase{"RmsJustBelow",
                                {"--max-sensor-rms", "0.7071067"},
                                "wintesseltest-cli: sensor 0: rms 0.70710677 exceeds 0.7071067\n",
                                {"rms"},
                                LimitsLine("null", "null", "0.7071067", "null")},
                      // Below the float 0.70710677 by less than it differs from its neighbours: the
                      // document shows a limit under the figure, as the verdict found it.
                      LimitCase{"RmsBelowTheFigureInItsNinthDigit",
                                {"--max-sensor-rms", "0.707106768"},
                                "wintesseltest-cli: sensor 0: rms 0.70710677 exceeds 0.707106768\n",
                                {"rms"},
                                LimitsLine("null", "null", "0.707106768", "null")},
                      LimitCase{"RmsPastTheLargestFloat",
                                {"--max-sensor-rms", "1e39"},
                                "",
                                {},
                                LimitsLine("null", "null", "1e+39", "null")},
                      LimitCase{"RmsNearTheLargestDouble",
                                {"--max-sensor-rms", "1e300"},
                                "",
                                {},
                                LimitsLine("null", "null", "1e+300", "null")},
                      LimitCase{"RmsSubnormal",
                                {"--max-sensor-rms", "1e-310"},
                                "wintesseltest-cli: sensor 0: rms 0.70710677 exceeds 1e-310\n",
                                {"rms"},
                                LimitsLine("null", "null", "1e-310", "null")},
                      LimitCase{"SwingAtTheFigure",
                                {"--max-sensor-swing", "2"},
                                "",
                                {},
                                LimitsLine("null", "null", "null", "2")},
                      LimitCase{"SwingAbove",
                                {"--max-sensor-swing", "3"},
                                "",
                                {},
                                LimitsLine("null", "null", "null", "3")},
                      LimitCase{"SwingBelow",
                                {"--max-sensor-swing", "01"},
                                "wintesseltest-cli: sensor 0: swing 2 exceeds 01\n",
                                {"swing"},
                                LimitsLine("null", "null", "null", "1")},
                      LimitCase{"BothFiguresRmsFirst",
                                {"--max-sensor-swing", "1", "--max-sensor-rms", ".5"},
                                "wintesseltest-cli: sensor 0: rms 0.70710677 exceeds .5\n"
                                "wintesseltest-cli: sensor 0: swing 2 exceeds 1\n",
                                {"rms", "swing"},
                                LimitsLine("null", "null", "0.5", "1")},
                      // The strip-wide limits judge decode's figures too, before the sensors.
                      LimitCase{"StripAndSensor",
                                {"--max-swing", "1", "--max-avg-deviation", "0.8",
                                 "--max-sensor-swing", "1"},
                                "wintesseltest-cli: Max Deviation Swing: 2 exceeds 1\n"
                                "wintesseltest-cli: sensor 0: swing 2 exceeds 1\n",
                                {"swing"},
                                LimitsLine("0.8", "1", "null", "1")},
                      LimitCase{"StripAverage",
                                {"--max-avg-deviation", "0.7"},
                                "wintesseltest-cli: Avg Deviation: 0.707107 exceeds 0.7\n",
                                {},
                                LimitsLine("0.7", "null", "null", "null")},
                      // Limits keep every digit their double holds, however small.
                      LimitCase{"StripAverageOfNineDigits",
                                {"--max-avg-deviation", "0.123456789"},
                                "wintesseltest-cli: Avg Deviation: 0.707107 exceeds 0.123456789\n",
                                {},
                                LimitsLine("0.123456789", "null", "null", "null")},
                      LimitCase{"StripAverageFarBelowTheSmallestFloat",
                                {"--max-avg-deviation", "1e-60"},
                                "wintesseltest-cli: Avg Deviation: 0.707107 exceeds 1e-60\n",
                                {},
                                LimitsLine("1e-60", "null", "null", "null")}),
    [](const ::testing::TestParamInfo<LimitCase>& testCase) { return testCase.param.name; });

TEST(CliJson, OnlyTheFirst88SensorsOf122ValueScansAreAnalysed) {
    TempDir dir;
    Bytes first(122);
    Bytes second(122);
    for (int i = 0; i < 122; ++i) {
        first[i] = static_cast<uint8_t>(i);
        second[i] = static_cast<uint8_t>(i + (i % 2 == 0 ? 2 : 0));
    }
    WriteBytes(dir / "wide.syx", Concat({ScanFrame(first), ScanFrame(second)}));

    const CliRun run =
        RunCli({"decode", "--json", "-", "--max-sensor-swing", "1", dir / "wide.syx"});

    const Json document = Document(run);
    ASSERT_FALSE(document.is_discarded()) << run.out;
    EXPECT_EQ(document["scanLength"], 122);
    EXPECT_EQ(document["strip"]["sensors"], 88);
    EXPECT_EQ(document["strip"]["samples"], 176);
    ASSERT_EQ(document["sensors"].size(), 88u);
    EXPECT_EQ(document["sensors"][87]["index"], 87);
    EXPECT_EQ(document["sensors"][87]["swing"], 0);
    EXPECT_EQ(document["sensors"][86]["swing"], 2);
    // Every even sensor of the 88 fails, and no line names a sensor beyond them.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 44) << run.err;
    EXPECT_NE(run.err.find("sensor 86: swing 2 exceeds 1\n"), std::string::npos);
    EXPECT_EQ(run.err.find("sensor 88"), std::string::npos);
}

// 64 scans of 157 but one 158: the mean 157.015625 lies halfway between the two shortest
// decimals of its float, and the document names the one the sensor lines would.
TEST(CliJson, AFloatHalfwayBetweenTwoDecimalsIsPrintedAsOnStandardError) {
    TempDir dir;
    Bytes scans;
    for (int i = 0; i < 63; ++i) {
        scans = Concat({scans, ScanFrame({157})});
    }
    WriteBytes(dir / "tie.syx", Concat({scans, ScanFrame({158})}));

    const CliRun run = RunCli({"decode", "--json", "-", dir / "tie.syx"});

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"meanOfAllSensors\":157.01562,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("{\"index\":0,\"mean\":157.01562,\"meanByte\":157,"), std::string::npos)
        << run.out;
}

TEST(CliJson, SamplesAbove127AreUnsigned) {
    TempDir dir;
    WriteBytes(dir / "high.syx", Concat({ScanFrame({200}), ScanFrame({202})}));

    const CliRun run = RunCli({"decode", "--json", "-", dir / "high.syx"});

    const Json document = Document(run);
    ASSERT_FALSE(document.is_discarded()) << run.out;
    const Json& sensor = document["sensors"][0];
    EXPECT_EQ(sensor["mean"], 201);
    EXPECT_EQ(sensor["meanByte"], 201);
    EXPECT_EQ(sensor["min"], 200);
    EXPECT_EQ(sensor["max"], 202);
    EXPECT_EQ(sensor["swing"], 2);
    EXPECT_EQ(sensor["rms"], 1);
    EXPECT_EQ(document["strip"]["meanOfAllSensors"], 201);
}

TEST(CliJson, WithoutAScanTheStripIsZeroAndNoSensorIsListed) {
    TempDir dir;
    WriteBytes(dir / "empty.syx", {});

    const CliRun run =
        RunCli({"decode", "--json", "-", "--max-sensor-rms", "0", dir / "empty.syx"});

    EXPECT_EQ(run.status, 0);
    const Json document = Document(run);
    ASSERT_FALSE(document.is_discarded()) << run.out;
    EXPECT_EQ(document["scanCount"], 0);
    for (const auto& [key, value] : document["strip"].items()) {
        EXPECT_EQ(value, 0) << key;
    }
    EXPECT_EQ(document["histogram"], Json(std::vector<int>(256, 0)));
    EXPECT_EQ(document["sensors"], Json::array());
    EXPECT_EQ(document["limits"]["maxSensorRms"], 0);
    EXPECT_EQ(document["verdict"], "pass");
}

TEST(CliJson, ADocumentThatCannotBeWrittenEndsWithStatus4AndLeavesNothing) {
    TempDir dir;
    const std::string capture = SteadyCapture(dir);
    const std::string path = dir / "no/such/folder/d.json";

    const CliRun run = RunCli({"decode", "--json", path, "--stats", capture});

    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err.rfind("wintesseltest-cli: can't write '" + path + "'", 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"steady.syx"});
}

TEST(CliJson, AScanOfTheSimulatorIsOneDocumentOnStandardOutput) {
    const CliRun run = RunCli({"scan", "--ticks", "12", "--period", "5", "--setup", "--json", "-",
                               "--max-sensor-swing", "255"});

    EXPECT_EQ(run.status, 0) << run.err;
    const Json document = Document(run);
    ASSERT_FALSE(document.is_discarded()) << run.out;
    EXPECT_EQ(document["scanCount"], 12);
    EXPECT_EQ(document["scanLength"], 122);
    EXPECT_EQ(document["inputLost"], (Json{{"bytes", 0}, {"events", 0}}));
    ASSERT_EQ(document["sensors"].size(), 88u);
    // Get Setup Information came first: the calibration travels with each sensor.
    EXPECT_GT(document["sensors"][0]["calibHigh"].get<int>(), 0);
    EXPECT_EQ(document["limits"]["maxSensorSwing"], 255);
    EXPECT_EQ(document["verdict"], "pass");
}

// A bench's steadiness test without a faulty box: the keys at rest, one sensor noisy and
// one stuck. Only the noisy one fails; the stuck one is perfectly steady at its value.
TEST(CliJson, AStillSimulatorWithFaultsFailsTheNoisySensorAloneAndReadsTheStuckOne) {
    TempDir dir;
    const std::string chart = dir / "c.png";

    const CliRun run = RunCli({"scan", "--ticks", "40", "--period", "5", "--sim-still",
                               "--sim-fault", "23:noisy:20", "--sim-fault", "40:stuck:77",
                               "--max-sensor-rms", "3", "--json", "-", "--chart", chart});

    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(std::regex_match(run.err, std::regex("wintesseltest-cli: sensor 23: rms "
                                                     "[0-9.]+ exceeds 3\n")))
        << run.err;
    const Json document = Document(run);
    ASSERT_FALSE(document.is_discarded()) << run.out;
    EXPECT_EQ(document["scanCount"], 40);
    ASSERT_EQ(document["sensors"].size(), 88u);
    const Json& stuck = document["sensors"][40];
    EXPECT_EQ(stuck["min"], 77);
    EXPECT_EQ(stuck["max"], 77);
    EXPECT_EQ(stuck["rms"], 0);
    EXPECT_GT(document["sensors"][23]["rms"].get<double>(), 3);
    for (const Json& sensor : document["sensors"]) {
        EXPECT_EQ(sensor["fails"], sensor["index"] == 23 ? Json::array({"rms"}) : Json::array())
            << sensor["index"];
    }
    EXPECT_EQ(document["verdict"], "fail");
    EXPECT_EQ(ReadBytes(chart).rfind("\x89PNG\r\n\x1a\n", 0), 0u);
}
