#include "editor/HintsUnit.h"

namespace HintsUnit {

QList<QPair<QString, QString>> effectWindowHints()
{
    return {
        {QStringLiteral("dial1stHarmonic"), QStringLiteral("Set the level of the first harmonic.")},
        {QStringLiteral("cmbVariableWavePitch"),
         QStringLiteral("Set the pitch of the first harmonic from -12 to +12 semitones")},
        {QStringLiteral("chkDominantNoteCut"),
         QStringLiteral("Improves tracking on lowest chord (E-open chord in standard tuning) when RANGE is set high.\r\n"
                        "Make sure to choose the right tuning for your instrument before applying this parameter.")},
        {QStringLiteral("chkHighNoteCut"),
         QStringLiteral("Reduces undesired tracking and noise on specific notes (e.g., open G string and first frets "
                        "in standard tuning)\r\n"
                        "Ensure your instrument is set to the correct tuning before applying this parameter.")},
        {QStringLiteral("dialInputLevel"),
         QStringLiteral("Set the input signal level for the octave-down effect. This does not affect the dry "
                        "signal.\r\n"
                        "Adjust if you hear excessive distortion in the sub. By default, it is set to the max "
                        "position.")},
        {QStringLiteral("cmbGuitarTuning"),
         QStringLiteral("Select the tuning of your instrument and the pitch variation\r\n"
                        "in the box below. Example:\r\n"
                        "- if you play in standard tuning 1 half-step down select standard tuning and -1 Pitch.\r\n"
                        "- if you play in standard tuning and use capo on 3rd fret select standard tuning and +3 "
                        "Pitch.")},
        {QStringLiteral("cmbSemitonesVariation"), QStringLiteral("Select the pitch variation in semitones from -5 to +3")},
        {QStringLiteral("dialDryHPF"), QStringLiteral("Filters low frequencies from the dry signal")},
        {QStringLiteral("swtLimitRange"), QStringLiteral("Limit the tracking range on higher notes.")},
        {QStringLiteral("swtNoiseGateStatus"), QStringLiteral("Turn ON the noise gate")},
        {QStringLiteral("dialNoiseGateThreshold"),
         QStringLiteral("Set the level where the noise gate starts. When set to minimum, the Noise Gate is OFF. Turn "
                        "it up to activate the gate and set the desired threshold.")},
        {QStringLiteral("swtAttack"), QStringLiteral("Set Sub Attack speed")},
    };
}

QString hint(const QString& controlName)
{
    for (const auto& entry : effectWindowHints())
        if (entry.first == controlName)
            return entry.second;
    return QString();
}

} // namespace HintsUnit
