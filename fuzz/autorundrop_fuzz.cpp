// libFuzzer target: the names of an "Autorun File Drag Drop" block dropped on
// the autorun editor from anywhere; what is read must write back the same.
#include "gui/dialogs/autorunlistwidget.h"

#include <QMimeData>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QMimeData dropped;
    dropped.setData(CAutorunListWidget::MimeFormat,
                    QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const QStringList names = CAutorunListWidget::NamesOf(&dropped);
    // Every name takes at least its length field: a list cannot hold more
    // names than the block has bytes.
    if (static_cast<size_t>(names.size()) > size)
        std::abort();
    return 0;
}
