#pragma once
// The benchmark of the windows at archive scale. Each action is timed several
// times on a catalogue of a given size, driving the real windows offscreen as a
// user would; the table gives the median and the maximum of the runs.
#include <QString>
#include <functional>
#include <vector>

class Windows;
class TestEnvironment;

struct BenchAction {
    QString name;
    QString target; // the goal at 1,000,000 records, as text
    // Prepares what the action needs (not timed) and returns the timed action,
    // which gives the milliseconds it took (or measures itself and returns them).
    std::function<double(Windows &, TestEnvironment &)> run;
};

std::vector<BenchAction> benchActions();
