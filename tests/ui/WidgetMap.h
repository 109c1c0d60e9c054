#pragma once
// Reads the widget map the real program writes under QUILLMERE_WIDGET_MAP (app/ui/WidgetMapFile.h)
// and waits for it to show a state, so a test outside the process finds controls by name and
// sees what the windows show.
#include <QRect>
#include <QTest>
#include <chrono>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace quillmere::testing {

struct MappedWindow {
    std::string name;
    std::string className;
    QRect place;
    std::string title;
};

struct MappedControl {
    std::string window;
    std::string name;
    std::string className;
    QRect place;
    bool enabled = false;
    std::string text;
    QPoint Centre() const { return place.center(); }
};

class WidgetMap {
  public:
    // The map as last written; empty when the program has written none yet.
    static WidgetMap Read(const std::string& file) {
        WidgetMap map;
        std::ifstream in(file);
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> f;
            std::stringstream fields(line);
            for (std::string field; std::getline(fields, field, '\t');) {
                f.push_back(field);
            }
            if (f.size() >= 8 && f[0] == "window") {
                map.windows.push_back({f[1], f[2], Rect(f, 3), f[7]});
            } else if (f.size() >= 9 && f[0] == "control") {
                map.controls.push_back(
                    {f[1], f[2], f[3], Rect(f, 4), f[8] == "1", f.size() > 9 ? f[9] : ""});
            } else if (f.size() >= 3 && f[0] == "row") {
                map.rows.push_back({f[1], f.size() > 3 ? f[3] : ""});
            }
        }
        return map;
    }

    const MappedWindow* Window(const std::string& name) const {
        for (const auto& window : windows) {
            if (window.name == name) {
                return &window;
            }
        }
        return nullptr;
    }
    // Shown windows of a class, such as "QMessageBox" or "QFileDialog".
    int CountWindows(const std::string& className) const {
        int count = 0;
        for (const auto& window : windows) {
            count += window.className == className ? 1 : 0;
        }
        return count;
    }
    const MappedControl* Control(const std::string& window, const std::string& name) const {
        for (const auto& control : controls) {
            if (control.window == window && control.name == name) {
                return &control;
            }
        }
        return nullptr;
    }
    // A button of a window by its caption (message boxes name none of theirs).
    const MappedControl* ButtonCaptioned(const std::string& window, const std::string& text) const {
        for (const auto& control : controls) {
            if (control.window == window && control.text == text) {
                return &control;
            }
        }
        return nullptr;
    }
    // The text of the first shown message box, or nothing.
    std::optional<std::string> MessageText() const {
        for (const auto& control : controls) {
            if (control.name == "MessageText") {
                return control.text;
            }
        }
        return std::nullopt;
    }
    std::vector<std::string> Rows(const std::string& list) const {
        std::vector<std::string> texts;
        for (const auto& [owner, text] : rows) {
            if (owner == list) {
                texts.push_back(text);
            }
        }
        return texts;
    }

    std::vector<MappedWindow> windows;
    std::vector<MappedControl> controls;
    std::vector<std::pair<std::string, std::string>> rows;

  private:
    static QRect Rect(const std::vector<std::string>& f, size_t at) {
        return {std::stoi(f[at]), std::stoi(f[at + 1]), std::stoi(f[at + 2]), std::stoi(f[at + 3])};
    }
};

// Reads the map until `shows` holds for it (the test's own windows keep working meanwhile) and
// returns that map, or nothing when `seconds` ran out first.
inline std::optional<WidgetMap> WaitForMap(const std::string& file, double seconds,
                                           const std::function<bool(const WidgetMap&)>& shows) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        WidgetMap map = WidgetMap::Read(file);
        if (shows(map)) {
            return map;
        }
        QTest::qWait(50);
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

}  // namespace quillmere::testing
