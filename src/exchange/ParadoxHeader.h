#pragma once

#include <QString>
#include <vector>

namespace exchange {

// Field type codes of a Paradox table header.
enum ParadoxType : int {
    PxAlpha = 0x01,
    PxDate = 0x02,
    PxShort = 0x03,
    PxLong = 0x04,
    PxCurrency = 0x05,
    PxNumber = 0x06,
    PxLogical = 0x09,
    PxMemo = 0x0C,
    PxBlob = 0x0D,
    PxFmtMemo = 0x0E,
    PxOle = 0x0F,
    PxGraphic = 0x10,
    PxTime = 0x14,
    PxTimestamp = 0x15,
    PxAutoInc = 0x16,
    PxBcd = 0x17,
    PxBytes = 0x18,
};

struct ParadoxFieldInfo {
    int type = 0;
    int size = 0;  // bytes in a record (BCD: 17)
    int decimals = 0;  // BCD only
};

// What the fixed part of a table file says about itself.
struct ParadoxHeader {
    int recordSize = 0;
    int headerSize = 0;
    int fileType = 0;
    int blockSize = 0;
    int numRecords = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
    int versionId = 0;  // 3 (3.0) … 12 (7.x)
    int codePage = 437;
    std::vector<ParadoxFieldInfo> fields;
    int recordsPerBlock() const { return recordSize > 0 ? (blockSize - 6) / recordSize : 0; }
};

// Checks that a table file is sound enough to hand to the Paradox library:
// header, block size, record size, field count and types, the header's own
// length and the file's length, and the chain of data blocks against the
// record count. Returns an empty string and fills `header` when it is;
// otherwise the reason, as a sentence naming the file.
QString checkParadoxFile(const QString& path, ParadoxHeader* header = nullptr);

}  // namespace exchange
