#pragma once

#include <QByteArray>
#include <string>
#include <utility>
#include <vector>

// Compound files for tests: written from named streams, read back into
// them, so a test can craft a document or change one stream of a real one.
using CompoundStreams = std::vector<std::pair<std::string, QByteArray>>;

bool WriteCompoundFile(const std::string& path, const CompoundStreams& streams);
CompoundStreams ReadCompoundStreams(const std::string& path);
QByteArray* FindStream(CompoundStreams& streams, const std::string& name);
// Offset of the first record of `type` in a presentation's document stream
// (walking every record, descending into containers); -1 when none.
int FindRecord(const QByteArray& document, int type);
void PutU16(QByteArray& bytes, int offset, uint16_t value);
void PutU32(QByteArray& bytes, int offset, uint32_t value);
