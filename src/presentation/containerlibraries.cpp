#include "presentation/containerlibraries.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>
#include <zip.h>

// The names are the libraries' files as the build found them (SONAME).
CLazyLibrary& CContainerLibraries::Zip()
{
    static CLazyLibrary library(ZELM_SONAME_ZIP);
    return library;
}

CLazyLibrary& CContainerLibraries::Gsf()
{
    static CLazyLibrary library(ZELM_SONAME_GSF);
    return library;
}

std::string CContainerLibraries::GsfVersion()
{
    std::string version;
    for (const char* part :
         {"libgsf_major_version", "libgsf_minor_version", "libgsf_micro_version"}) {
        const auto* number = static_cast<const int*>(Gsf().Symbol(part));
        if (!number)
            return {};
        version += (version.empty() ? "" : ".") + std::to_string(*number);
    }
    return version;
}

// clang-format off
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), void, zip_discard, (zip_t * a0), a0)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), void, zip_error_fini, (zip_error_t * a0), a0)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), void, zip_error_init, (zip_error_t * a0), a0)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), int, zip_fclose, (zip_file_t * a0), a0)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), zip_file_t *_Nullable, zip_fopen_index, (zip_t * a0, zip_uint64_t a1, zip_flags_t a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), zip_int64_t, zip_fread, (zip_file_t * a0, void * a1, zip_uint64_t a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), zip_int64_t, zip_get_num_entries, (zip_t * a0, zip_flags_t a1), a0, a1)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), zip_int64_t, zip_name_locate, (zip_t * a0, const char * a1, zip_flags_t a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), zip_t *_Nullable, zip_open, (const char * a0, int a1, int * a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), zip_t *_Nullable, zip_open_from_source, (zip_source_t * a0, int a1, zip_error_t * a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), zip_source_t *_Nullable, zip_source_buffer_create, (const void * a0, zip_uint64_t a1, int a2, zip_error_t * a3), a0, a1, a2, a3)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), void, zip_source_free, (zip_source_t * a0), a0)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), int, zip_stat_index, (zip_t * a0, zip_uint64_t a1, zip_flags_t a2, zip_stat_t * a3), a0, a1, a2, a3)
ZELM_LAZY_FUNCTION(CContainerLibraries::Zip(), void, zip_stat_init, (zip_stat_t * a0), a0)

ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), GsfInput *, gsf_infile_child_by_index, (GsfInfile * a0, int a1), a0, a1)
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), GType, gsf_infile_get_type, ())
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), GsfInfile *, gsf_infile_msole_new, (GsfInput * a0, GError ** a1), a0, a1)
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), char const *, gsf_infile_name_by_index, (GsfInfile * a0, int a1), a0, a1)
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), int, gsf_infile_num_children, (GsfInfile * a0), a0)
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), void, gsf_init, ())
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), GsfInput *, gsf_input_memory_new_clone, (guint8 const * a0, gsf_off_t a1), a0, a1)
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), guint8 const *, gsf_input_read, (GsfInput * a0, size_t a1, guint8 * a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), gsf_off_t, gsf_input_remaining, (GsfInput * a0), a0)
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), gboolean, gsf_input_seek, (GsfInput * a0, gsf_off_t a1, GSeekType a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), gsf_off_t, gsf_input_size, (GsfInput * a0), a0)
ZELM_LAZY_FUNCTION(CContainerLibraries::Gsf(), GsfInput *, gsf_input_stdio_new_FILE, (char const * a0, FILE * a1, gboolean a2), a0, a1, a2)
// clang-format on
