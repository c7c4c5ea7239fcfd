#pragma once

#include "common/Errors.h"
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Why an open directivity file cannot be read or written; the text names the variable or the
// attribute at fault.
class CSofaError : public CBadData {
public:
    explicit CSofaError(const std::string& what) : CBadData(what) {}
};

// Whether the first bytes of a file are those of a netCDF file: HDF5 (netCDF-4) or the classic
// and 64-bit offset formats.
bool HasNetCdfSignature(const unsigned char* head, std::size_t size);
bool FileHasNetCdfSignature(const std::string& path);

// A netCDF file opened for reading or created for writing, closed when the object goes. Every
// failure throws CSofaError naming what was asked for.
class CNetCdfFile {
public:
    struct CDim {
        std::string name;
        std::size_t length = 0;
    };

    static CNetCdfFile Open(const std::string& path);
    // Reads a file image held in memory; the bytes must outlive the object.
    static CNetCdfFile OpenMemory(const void* data, std::size_t size);
    enum class EFormat {
        Netcdf4, // HDF5
        Cdf5,    // the classic format with 64-bit data
    };
    // A new file in memory, in define mode; CloseToBytes gives its image.
    static CNetCdfFile CreateInMemory(EFormat format = EFormat::Netcdf4);

    CNetCdfFile(CNetCdfFile&& other) noexcept : m_id(other.m_id), m_classic(other.m_classic) {
        other.m_id = -1;
    }
    CNetCdfFile& operator=(CNetCdfFile&&) = delete;
    CNetCdfFile(const CNetCdfFile&) = delete;
    CNetCdfFile& operator=(const CNetCdfFile&) = delete;
    ~CNetCdfFile();

    // A text attribute of the file (variable empty) or of a variable; nothing when it is absent.
    std::optional<std::string> TextAttribute(const std::string& variable,
                                             const std::string& name) const;
    bool HasVariable(const std::string& name) const;
    // The dimensions of a variable, outermost first.
    std::vector<CDim> Dimensions(const std::string& variable) const;
    // The variable's values from `start` for `count` along each dimension, as doubles.
    std::vector<double> ReadDoubles(const std::string& variable,
                                    const std::vector<std::size_t>& start,
                                    const std::vector<std::size_t>& count) const;
    std::vector<double> ReadAllDoubles(const std::string& variable) const;

    // Define mode.
    void DefineDimension(const std::string& name, std::size_t length);
    void DefineVariable(const std::string& name, const std::vector<std::string>& dimensions);
    void PutTextAttribute(const std::string& variable, const std::string& name,
                          const std::string& value);
    void EndDefinitions();
    // Data mode: the whole variable.
    void WriteDoubles(const std::string& variable, const std::vector<double>& values);
    // Closes a file made by CreateInMemory and returns the file's bytes.
    std::vector<unsigned char> CloseToBytes();

private:
    explicit CNetCdfFile(int id) : m_id(id) {}
    int VariableId(const std::string& name) const;
    int m_id = -1;
    bool m_classic = false; // a classic-format image (CDF-1, -2 or -5) read from memory
};
