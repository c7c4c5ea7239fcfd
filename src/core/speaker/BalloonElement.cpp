#include "speaker/BalloonElement.h"

#include "common/LineReader.h"
#include "common/ProgressDialog1.h"
#include "common/TextParse.h"

#include <string>

void CBalloonElement::SetDimensions(int phis, int thetas, int frequencies) {
    if (phis < 0 || thetas < 0 || frequencies < 0)
        throw CInvalidArgument("negative balloon dimension");
    phiCount = phis;
    thetaCount = thetas;
    frequencyCount = frequencies;
    phiGrid.assign(static_cast<std::size_t>(phis), 0.0);
    data.assign(static_cast<std::size_t>(phis) * static_cast<std::size_t>(thetas) *
                    static_cast<std::size_t>(frequencies),
                CSPComplex{});
}

void CBalloonElement::CheckCell(int phi, int theta, int frequency) const {
    CheckIndex(phi, static_cast<std::size_t>(phiCount), "balloon phi");
    CheckIndex(theta, static_cast<std::size_t>(thetaCount), "balloon theta");
    CheckIndex(frequency, static_cast<std::size_t>(frequencyCount), "balloon frequency");
}

const CSPComplex& CBalloonElement::Value(int phi, int theta, int frequency) const {
    CheckCell(phi, theta, frequency);
    return At(IndexOf(phi, theta, frequency));
}

CSPComplex& CBalloonElement::Value(int phi, int theta, int frequency) {
    CheckCell(phi, theta, frequency);
    const std::size_t index = IndexOf(phi, theta, frequency);
    CheckIndex(static_cast<long long>(index), data.size(), "balloon value");
    return data[index];
}

std::string CBalloonElement::ReadBalloon(CLineReader& reader, CProgressDialog1* progress,
                                         long long& progressPosition) {
    std::string line, why;
    const auto ended = [&](int p, int f) {
        if (reader.Failed())
            return reader.Error();
        return "the speaker data ends after line " + std::to_string(reader.LineNumber()) +
               ", inside phi block " + std::to_string(p + 1) + " of " +
               std::to_string(phiCount - 1) +
               (f < 0 ? std::string(" before its angle line")
                      : " at frequency line " + std::to_string(f + 1) + " of " +
                            std::to_string(frequencyCount));
    };
    // Levels beyond this many dB make pressures no sum can hold.
    constexpr double kLevelLimit = 1000.0;
    for (int p = 0; p + 1 < phiCount; ++p) {
        if (progress)
            progress->PumpAndCheck();
        if (!reader.ReadLine(line))
            return ended(p, -1);
        if (!ParseFiniteNumber(line.c_str(), "phi angle", reader.LineNumber(),
                               phiGrid[static_cast<std::size_t>(p)], why))
            return why;
        for (int f = 0; f < frequencyCount; ++f) {
            if (!reader.ReadLine(line))
                return ended(p, f);
            // Pairs of level and phase, one per theta; a surplus beyond the grid is ignored.
            CCommaTokenizer tokens(line);
            for (int t = 0; t < thetaCount; ++t) {
                const char* level = tokens.Next();
                const char* phase = level ? tokens.Next() : nullptr;
                if (!phase)
                    return "line " + std::to_string(reader.LineNumber()) + " holds " +
                           std::to_string(t) + (level ? " and a half" : "") + " of the " +
                           std::to_string(thetaCount) +
                           " level and phase pairs of its frequency: the speaker data is cut "
                           "short";
                double levelValue = 0.0, phaseValue = 0.0;
                if (!ParseFiniteNumber(level, "level", reader.LineNumber(), levelValue, why,
                                       kLevelLimit) ||
                    !ParseFiniteNumber(phase, "phase", reader.LineNumber(), phaseValue, why))
                    return why;
                data[IndexOf(p, t, f)].SetLevelPhase(levelValue, phaseValue);
            }
            ++progressPosition;
            if (progress)
                progress->SetPos(progressPosition);
        }
    }
    if (phiCount < 1)
        return {};
    phiGrid[static_cast<std::size_t>(phiCount - 1)] = 360.0;
    if (thetaCount < 1)
        return {};
    for (int t = 0; t < thetaCount; ++t)
        for (int f = 0; f < frequencyCount; ++f)
            data[IndexOf(phiCount - 1, t, f)] = data[IndexOf(0, t, f)];
    const int lastTheta = thetaCount - 1;
    for (int p = 0; p < phiCount; ++p)
        for (int f = 0; f < frequencyCount; ++f) {
            data[IndexOf(p, 0, f)] = data[IndexOf(0, 0, f)];
            data[IndexOf(p, lastTheta, f)] = data[IndexOf(0, lastTheta, f)];
        }
    return {};
}
