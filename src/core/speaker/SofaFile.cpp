#include "speaker/SofaFile.h"

#include <netcdf.h>
#include <netcdf_mem.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>

namespace {
[[noreturn]] void Throw(int status, const std::string& what) {
    // A failed allocation inside the library is one like any other.
    if (status == NC_ENOMEM)
        throw std::bad_alloc();
    throw CSofaError(what + ": " + nc_strerror(status));
}

void Check(int status, const std::string& what) {
    if (status != NC_NOERR)
        Throw(status, what);
}

std::string Describe(const std::string& variable, const std::string& name) {
    return variable.empty() ? "GLOBAL:" + name : variable + ":" + name;
}
} // namespace

bool HasNetCdfSignature(const unsigned char* head, std::size_t size) {
    static const unsigned char kHdf5[8] = {0x89, 'H', 'D', 'F', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(head, kHdf5, 8) == 0)
        return true;
    return size >= 4 && head[0] == 'C' && head[1] == 'D' && head[2] == 'F' &&
           (head[3] == 1 || head[3] == 2 || head[3] == 5);
}

bool FileHasNetCdfSignature(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char head[8] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    return HasNetCdfSignature(head, static_cast<std::size_t>(in.gcount()));
}

CNetCdfFile CNetCdfFile::Open(const std::string& path) {
    int id = -1;
    Check(nc_open(path.c_str(), NC_NOWRITE, &id), "the netCDF file cannot be read");
    return CNetCdfFile(id);
}

namespace {
// The end-of-file address an HDF5 superblock at the start of the image states, or 0 when it
// cannot be told. The library reading from memory does not compare it with the image's size.
std::uint64_t StatedHdf5End(const unsigned char* p, std::size_t size) {
    auto address = [&](std::size_t at, std::size_t width) -> std::uint64_t {
        if (width == 0 || width > 8 || at + width > size)
            return 0;
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i)
            v |= std::uint64_t(p[at + i]) << (8 * i);
        return v;
    };
    if (size < 16 || !HasNetCdfSignature(p, size) || p[0] != 0x89)
        return 0;
    const unsigned version = p[8];
    if (version == 0 || version == 1) {
        const std::size_t offsets = p[13];
        const std::size_t fields = 24 + (version == 1 ? 4 : 0); // base address comes here
        return address(fields + 2 * offsets, offsets) + address(fields, offsets);
    }
    if (version == 2 || version == 3) {
        const std::size_t offsets = p[9];
        return address(12 + 2 * offsets, offsets) + address(12, offsets);
    }
    return 0;
}
} // namespace

CNetCdfFile CNetCdfFile::OpenMemory(const void* data, std::size_t size) {
    const std::uint64_t end = StatedHdf5End(static_cast<const unsigned char*>(data), size);
    if (end > size)
        throw CSofaError("the file is truncated: it holds " + std::to_string(size) +
                         " bytes of the " + std::to_string(end) + " its header states");
    int id = -1;
    // The library takes a non-const pointer but does not write through it without NC_WRITE.
    const int status = nc_open_mem("memory", NC_NOWRITE, size, const_cast<void*>(data), &id);
    const bool classic = size >= 1 && static_cast<const unsigned char*>(data)[0] == 'C';
    // Reading a classic image past its end fails with the system's "operation not permitted".
    if (classic && status == EPERM)
        throw CSofaError("the file is truncated: it ends inside its header");
    Check(status, "the netCDF file cannot be read");
    CNetCdfFile file(id);
    file.m_classic = classic;
    return file;
}

CNetCdfFile CNetCdfFile::CreateInMemory(EFormat format) {
    int id = -1;
    // A classic image is kept at no less than its initial size, so it starts empty.
    const bool classic = format == EFormat::Cdf5;
    Check(nc_create_mem("memory", classic ? NC_64BIT_DATA : NC_NETCDF4, classic ? 0 : 1 << 16,
                        &id),
          "cannot create a netCDF file");
    return CNetCdfFile(id);
}

CNetCdfFile::~CNetCdfFile() {
    if (m_id >= 0)
        nc_close(m_id);
}

std::vector<unsigned char> CNetCdfFile::CloseToBytes() {
    const int id = m_id;
    m_id = -1;
    NC_memio image{};
    Check(nc_close_memio(id, &image), "the netCDF file could not be written");
    const auto* bytes = static_cast<const unsigned char*>(image.memory);
    std::vector<unsigned char> out(bytes, bytes + image.size);
    std::free(image.memory);
    // The image is grown in blocks; what lies past the end the file states is unused.
    const std::uint64_t end = StatedHdf5End(out.data(), out.size());
    if (end > 0 && end < out.size())
        out.resize(static_cast<std::size_t>(end));
    return out;
}

int CNetCdfFile::VariableId(const std::string& name) const {
    int var = -1;
    const int status = nc_inq_varid(m_id, name.c_str(), &var);
    if (status == NC_ENOTVAR)
        throw CSofaError("the mandatory variable " + name + " is missing");
    Check(status, "variable " + name);
    return var;
}

bool CNetCdfFile::HasVariable(const std::string& name) const {
    int var = -1;
    return nc_inq_varid(m_id, name.c_str(), &var) == NC_NOERR;
}

std::optional<std::string> CNetCdfFile::TextAttribute(const std::string& variable,
                                                      const std::string& name) const {
    const int var = variable.empty() ? NC_GLOBAL : VariableId(variable);
    nc_type type = NC_NAT;
    std::size_t length = 0;
    const int status = nc_inq_att(m_id, var, name.c_str(), &type, &length);
    if (status == NC_ENOTATT)
        return std::nullopt;
    Check(status, "attribute " + Describe(variable, name));
    if (type == NC_STRING) {
        if (length != 1)
            throw CSofaError("attribute " + Describe(variable, name) + " holds " +
                             std::to_string(length) + " strings instead of one");
        char* text = nullptr;
        Check(nc_get_att_string(m_id, var, name.c_str(), &text),
              "attribute " + Describe(variable, name));
        std::string value = text ? text : "";
        nc_free_string(1, &text);
        return value;
    }
    if (type != NC_CHAR)
        throw CSofaError("attribute " + Describe(variable, name) + " is not text");
    std::string value(length, '\0');
    if (length > 0)
        Check(nc_get_att_text(m_id, var, name.c_str(), value.data()),
              "attribute " + Describe(variable, name));
    // Some writers count the C string's terminating zero.
    while (!value.empty() && value.back() == '\0')
        value.pop_back();
    return value;
}

std::vector<CNetCdfFile::CDim> CNetCdfFile::Dimensions(const std::string& variable) const {
    const int var = VariableId(variable);
    int count = 0;
    Check(nc_inq_varndims(m_id, var, &count), "variable " + variable);
    if (count < 0 || count > NC_MAX_VAR_DIMS)
        throw CSofaError("variable " + variable + " has an impossible number of dimensions");
    std::vector<int> ids(static_cast<std::size_t>(count));
    Check(nc_inq_vardimid(m_id, var, ids.data()), "variable " + variable);
    std::vector<CDim> dims;
    for (int id : ids) {
        char name[NC_MAX_NAME + 1] = {};
        std::size_t length = 0;
        Check(nc_inq_dim(m_id, id, name, &length), "a dimension of " + variable);
        dims.push_back({name, length});
    }
    return dims;
}

std::vector<double> CNetCdfFile::ReadDoubles(const std::string& variable,
                                             const std::vector<std::size_t>& start,
                                             const std::vector<std::size_t>& count) const {
    const int var = VariableId(variable);
    nc_type type = NC_NAT;
    Check(nc_inq_vartype(m_id, var, &type), "variable " + variable);
    if (type < NC_BYTE || type == NC_CHAR || type > NC_UINT64)
        throw CSofaError("variable " + variable + " does not hold numbers");
    // Counts come from the file: refuse what cannot be meant before allocating it.
    constexpr std::size_t kMaxValues = std::size_t(1) << 28;
    std::size_t total = 1;
    for (std::size_t c : count) {
        if (c != 0 && total > kMaxValues / c)
            throw CSofaError("variable " + variable + " holds more than " +
                             std::to_string(kMaxValues) + " values");
        total *= c;
    }
    std::vector<double> values(total);
    const int status =
        total > 0 ? nc_get_vara_double(m_id, var, start.data(), count.data(), values.data())
                  : NC_NOERR;
    if (m_classic && status == EPERM)
        throw CSofaError("the file is truncated: the values of " + variable +
                         " lie beyond its end");
    Check(status, "the values of " + variable + " cannot be read");
    return values;
}

std::vector<double> CNetCdfFile::ReadAllDoubles(const std::string& variable) const {
    std::vector<std::size_t> count;
    for (const CDim& d : Dimensions(variable))
        count.push_back(d.length);
    return ReadDoubles(variable, std::vector<std::size_t>(count.size(), 0), count);
}

void CNetCdfFile::DefineDimension(const std::string& name, std::size_t length) {
    int id = -1;
    Check(nc_def_dim(m_id, name.c_str(), length, &id), "dimension " + name);
}

void CNetCdfFile::DefineVariable(const std::string& name,
                                 const std::vector<std::string>& dimensions) {
    std::vector<int> ids;
    for (const std::string& d : dimensions) {
        int id = -1;
        Check(nc_inq_dimid(m_id, d.c_str(), &id), "dimension " + d);
        ids.push_back(id);
    }
    int var = -1;
    Check(nc_def_var(m_id, name.c_str(), NC_DOUBLE, static_cast<int>(ids.size()), ids.data(), &var),
          "variable " + name);
}

void CNetCdfFile::PutTextAttribute(const std::string& variable, const std::string& name,
                                   const std::string& value) {
    const int var = variable.empty() ? NC_GLOBAL : VariableId(variable);
    Check(nc_put_att_text(m_id, var, name.c_str(), value.size(), value.data()),
          "attribute " + Describe(variable, name));
}

void CNetCdfFile::EndDefinitions() {
    Check(nc_enddef(m_id), "the netCDF definitions");
}

void CNetCdfFile::WriteDoubles(const std::string& variable, const std::vector<double>& values) {
    Check(nc_put_var_double(m_id, VariableId(variable), values.data()), "variable " + variable);
}
