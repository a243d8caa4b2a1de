#pragma once

#include <QString>
#include <QStringList>

// Quenzal's own stored values, one typed accessor each, so that a value's name is written in
// one place. (The LAME options' values are the options table's.) A value never stored reads as
// its default.
namespace StoredSettings {

// "Commande LAME": the switches a run uses when the options window was never confirmed. The
// options table stores them under this name too.
inline constexpr char kLameCommand[] = "Commande LAME";
QString lameCommand();
void setLameCommand(const QString& switches);

// "Police": the face of the controls that follow the font choice (empty: the default face).
QString fontName();
void setFontName(const QString& face);

// "Langue": the name of the chosen language file in Langue/, with its ".lng" (empty: the
// built-in captions). An older Quenzal kept the whole path.
QString language();
void setLanguage(const QString& pathWithLng);

// "Encodages simultanés": "Auto" or how many files are encoded at once ("1" when missing).
QString jobs();
void setJobs(const QString& jobs);
// The number of files to encode at once for a stored choice: "Auto" is one per processor
// core; anything unreadable is 1.
int jobCount(const QString& stored);
inline int jobCount()
{
    return jobCount(jobs());
}

// "Fichiers existants": what a run does with an output already there: "Remplacer" (also when
// missing or unknown), "Passer" or "Garder les deux".
QString existingFiles();
void setExistingFiles(const QString& choice);

// "Copier les tags": a conversion carries the sources' tags over to its MP3s (on when missing).
bool copyTags();
void setCopyTags(bool on);

// "Garder l'arborescence": with an output folder, the sources' folder tree is rebuilt under it
// (off when missing).
bool keepTree();
void setKeepTree(bool on);

// "Machines": the computers a run is spread over, one GNU parallel sshlogin a line ("4/user@host",
// ":" for this computer, "ssh -p 2222 host"). Blank lines and lines starting with "#" are
// dropped; none at all (the default) is a run on this computer alone.
QStringList machines();
void setMachines(const QStringList& logins);

// "Accès aux fichiers": how the machines reach the files: "Dossiers partagés" (also when missing:
// every machine sees the same paths) or "Transfert" (each source is sent, its output brought back).
bool transferFiles();
void setTransferFiles(bool transfer);

} // namespace StoredSettings
