// The list on screen as the entry store sees it, for the store's tests: every row it
// appends and every fitting of the columns, optionally also written into a log so that
// rows can be ordered against other events.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "storage/entry_store.h"

namespace verrow::test {

struct Row {
    std::string name;
    int image;
    std::string pathText;
    EntryCollection::Position position;
};

class RowSink : public EntrySink {
public:
    explicit RowSink(std::vector<std::string>* log = nullptr) : log_(log) {}
    void AppendRow(const std::string& name, int image, const std::string& pathText,
                   EntryCollection::Position position) override {
        rows.push_back({name, image, pathText, position});
        if (log_) log_->push_back("row " + name);
    }
    void FitColumns() override {
        ++fits;
        if (log_) log_->push_back("fit");
    }
    // As the window does once Windows has ended the session during the load.
    bool Stopped() const override { return rows.size() >= stopAfter; }

    std::vector<Row> rows;
    int fits = 0;
    std::size_t stopAfter = static_cast<std::size_t>(-1);

private:
    std::vector<std::string>* log_;
};

}  // namespace verrow::test
