#pragma once

namespace store {

class DataSet;
class Table;

// Moves every row of a source data set (from its first row) into a destination
// table, below the destination's row events. Fields are matched by name.
class BatchMove {
public:
    enum class Mode {
        Copy,          // the destination is emptied first and receives every row
        AppendUpdate,  // a row whose key exists replaces that row; others are added
    };
    // Returns the number of rows moved. One transaction on the destination.
    static int execute(DataSet& source, Table& destination, Mode mode);
};

}  // namespace store
