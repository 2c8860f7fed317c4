#include "core/commandline.h"

#include "core/colourparser.h"
#include "core/projectrecord.h"

namespace {

using Result = CommandLine::Result;

Result answer(int status, std::string message)
{
    Result result;
    result.exitStatus = status;
    result.message = std::move(message);
    return result;
}

// "-1" is a colour, if a wrong one, and "-" is no option either.
bool isOption(std::string_view argument)
{
    return argument.size() > 1 && argument[0] == '-' && !(argument[1] >= '0' && argument[1] <= '9');
}

const CommandLine::ForeignOption *foreignOption(
    std::string_view argument, std::span<const CommandLine::ForeignOption> foreign)
{
    if (argument.starts_with("--"))
        argument.remove_prefix(1);
    const std::string_view name = argument.substr(0, argument.find('='));
    for (const CommandLine::ForeignOption &option : foreign) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

} // namespace

CommandLine::Result CommandLine::parse(
    std::span<const std::string> arguments, std::span<const ForeignOption> foreign)
{
    Result result;
    // An unquoted "18, 52, 86" arrives as three arguments; together they are one colour.
    std::optional<std::string> colour;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (optionsEnded || !isOption(argument)) {
            if (colour)
                *colour += ' ';
            else
                colour.emplace();
            *colour += argument;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            return answer(0, helpText());
        } else if (argument == "--version") {
            return answer(0, versionText());
        } else if (argument == "--print") {
            result.print = true;
        } else if (argument == "--recent") {
            result.recent = true;
        } else if (argument == "--pick") {
            result.pick = true;
        } else if (argument == "--copy") {
            result.copy = true;
        } else if (const ForeignOption *option = foreignOption(argument, foreign)) {
            if (option->takesValue && argument.find('=') == std::string::npos)
                ++i;
        } else {
            return answer(UsageStatus,
                "tintenwijzer: onbekende optie " + argument + " (zie tintenwijzer --help)");
        }
    }
    // The list is all there is to show: a colour or another option changes nothing.
    if (result.recent)
        return result;
    if (result.copy && !result.pick)
        return answer(UsageStatus,
            "tintenwijzer: --copy hoort bij --pick (zie tintenwijzer --help)");
    if (!colour)
        return result;

    const ColourParser::Result parsed = ColourParser::parse(*colour);
    if (!parsed.colour)
        return answer(UsageStatus, "tintenwijzer: " + parsed.reason);
    result.startColour = parsed.colour;
    return result;
}

std::string CommandLine::helpText()
{
    return "Gebruik: tintenwijzer [--pick [--copy]] [--print] [KLEUR]\n"
           "   of: tintenwijzer --recent\n"
           "Toont een kleur en haar kleurnummer: rood + 256 * groen + 65536 * blauw.\n"
           "\n"
           "KLEUR is de kleur waarmee het venster opent, in plaats van wit, in een van deze "
           "vormen:\n"
           "  5649426              het kleurnummer, 0 tot en met 16777215\n"
           "  \"&H563412&\"          VB-hex, blauw-groen-rood; de & aan het eind mag weg\n"
           "  \"#123456\", \"#fff\"    HTML, rood-groen-blauw\n"
           "  \"RGB(18, 52, 86)\"    rood, groen en blauw, elk 0 tot en met 255\n"
           "  18, 52, 86           hetzelfde, ook als 18 52 86\n"
           "Zet een kleur met &, # of haakjes tussen aanhalingstekens.\n"
           "\n"
           "Opties:\n"
           "  --pick       kies meteen na het openen een kleur van het scherm (ook Ctrl+Shift+C)\n"
           "  --print      schrijf bij het afsluiten het kleurnummer naar de standaarduitvoer\n"
           "               Samen zijn ze een pipet: het venster opent, en zodra er een kleur\n"
           "               gekozen is, schrijft het programma haar nummer en stopt; wie\n"
           "               afbreekt, krijgt geen nummer en status 1.\n"
           "  --copy       met --pick: zonder venster, alleen de kiezer; het nummer van de\n"
           "               gekozen kleur gaat op het klembord en blijft daar na het einde\n"
           "               van het programma. Escape laat het klembord zoals het was,\n"
           "               status 1. Voor een sneltoets van het bureaublad.\n"
           "  --recent     schrijf de recente kleuren naar de standaarduitvoer, de nieuwste\n"
           "               eerst, een kleurnummer per regel, en stop\n"
           "  -h, --help   toon deze hulp\n"
           "  --version    toon de versie\n"
           "\n"
           "Een onbekende optie of een tekst die geen kleur is, beëindigt het programma met "
           "status 2.";
}

std::string CommandLine::versionText()
{
    return std::string(ProjectRecord::name) + " " + ProjectRecord::version;
}
