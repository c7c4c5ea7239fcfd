#pragma once

// Writes FreeFieldDirectivityTF files for the tests from a description that each test may
// spoil on purpose: attributes, variables, shapes and values.
#include "speaker/SofaFile.h"

#include <array>
#include <cmath>
#include <complex>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct CTestSofa {
    std::map<std::string, std::string> globals = {{"Conventions", "SOFA"},
                                                  {"Version", "2.1"},
                                                  {"SOFAConventions", "FreeFieldDirectivityTF"},
                                                  {"SOFAConventionsVersion", "1.1"},
                                                  {"DataType", "TF"},
                                                  {"RoomType", "free field"},
                                                  {"Title", "Analytic source"}};
    std::size_t M = 1;
    std::vector<double> frequencies;
    // One row of three numbers per receiver; spherical (azimuth, elevation, radius) or cartesian.
    std::vector<std::array<double, 3>> receivers;
    std::string receiverType = "spherical";
    std::string receiverUnits = "degree, degree, metre";
    // Per measurement (or one row for all): [M C] when more than one row is given.
    std::vector<std::array<double, 3>> sourcePosition = {{0, 0, 0}};
    std::vector<std::array<double, 3>> sourceView = {{1, 0, 0}};
    std::vector<std::array<double, 3>> sourceUp = {{0, 0, 1}};
    std::vector<std::array<double, 3>> listenerPosition = {{0, 0, 0}};
    // Pressure of measurement m at receiver r and frequency index n.
    std::function<std::complex<double>(std::size_t m, std::size_t r, std::size_t n)> data;
    // Variables left out, and the length of N's own dimension when it should differ.
    std::vector<std::string> omit;
    std::optional<std::size_t> imagFrequencies;
    CNetCdfFile::EFormat format = CNetCdfFile::EFormat::Netcdf4;
    // Data.Real and Data.Imag defined but never written: the library gives its fill value.
    bool dataUnwritten = false;

    bool Omitted(const std::string& name) const {
        for (const std::string& o : omit)
            if (o == name)
                return true;
        return false;
    }

    std::vector<unsigned char> Bytes() const {
        CNetCdfFile f = CNetCdfFile::CreateInMemory(format);
        for (const auto& [name, value] : globals)
            f.PutTextAttribute("", name, value);
        const std::size_t R = receivers.size(), N = frequencies.size();
        f.DefineDimension("I", 1);
        f.DefineDimension("C", 3);
        f.DefineDimension("M", M);
        f.DefineDimension("R", R);
        f.DefineDimension("N", N);
        f.DefineDimension("K", imagFrequencies.value_or(N));
        auto rows = [&](const std::vector<std::array<double, 3>>& v) {
            return v.size() == 1 ? std::string("I") : std::string("M");
        };
        std::vector<std::pair<std::string, const std::vector<std::array<double, 3>>*>> vectors = {
            {"SourcePosition", &sourcePosition},
            {"SourceView", &sourceView},
            {"SourceUp", &sourceUp}};
        vectors.push_back({"ListenerPosition", &listenerPosition});
        for (const auto& [name, v] : vectors)
            if (!Omitted(name)) {
                f.DefineVariable(name, {rows(*v), "C"});
                f.PutTextAttribute(name, "Type", "cartesian");
                f.PutTextAttribute(name, "Units", "metre");
            }
        if (!Omitted("ReceiverPosition")) {
            f.DefineVariable("ReceiverPosition", {"R", "C", "I"});
            f.PutTextAttribute("ReceiverPosition", "Type", receiverType);
            f.PutTextAttribute("ReceiverPosition", "Units", receiverUnits);
        }
        if (!Omitted("N")) {
            f.DefineVariable("N", {"N"});
            f.PutTextAttribute("N", "Units", "hertz");
        }
        if (!Omitted("Data.Real"))
            f.DefineVariable("Data.Real", {"M", "R", "N"});
        if (!Omitted("Data.Imag"))
            f.DefineVariable("Data.Imag", {"M", "R", "K"});
        f.EndDefinitions();
        auto flat = [](const std::vector<std::array<double, 3>>& v) {
            std::vector<double> out;
            for (const auto& row : v)
                out.insert(out.end(), row.begin(), row.end());
            return out;
        };
        for (const auto& [name, v] : vectors)
            if (!Omitted(name))
                f.WriteDoubles(name, flat(*v));
        if (!Omitted("ReceiverPosition"))
            f.WriteDoubles("ReceiverPosition", flat(receivers));
        if (!Omitted("N"))
            f.WriteDoubles("N", frequencies);
        if (dataUnwritten)
            return f.CloseToBytes();
        std::vector<double> re, im;
        const std::size_t K = imagFrequencies.value_or(N);
        for (std::size_t m = 0; m < M; ++m)
            for (std::size_t r = 0; r < R; ++r) {
                for (std::size_t n = 0; n < N; ++n)
                    re.push_back(data(m, r, n).real());
                for (std::size_t n = 0; n < K; ++n)
                    im.push_back(data(m, r, n < N ? n : N - 1).imag());
            }
        if (!Omitted("Data.Real"))
            f.WriteDoubles("Data.Real", re);
        if (!Omitted("Data.Imag"))
            f.WriteDoubles("Data.Imag", im);
        return f.CloseToBytes();
    }
};
