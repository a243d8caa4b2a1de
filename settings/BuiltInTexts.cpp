#include "settings/BuiltInTexts.h"

namespace {

// clang-format off
const MessageKey kMessages[] = {
    {"Main", "stb1", "Ajouter des fichiers ou un dossier", false},
    {"Main", "stb2", "Retirer des fichiers de la liste", false},
    {"Main", "stb3", "Encoder ou décoder les fichiers de la liste", false},
    {"Main", "stb4", "À propos de Quenzal", false},
    {"Main", "stb5", "Options de LAME", false},
    {"Main", "msgErrEncode", "Le programme lame est introuvable dans le dossier de Quenzal.", false},
    {"Main", "msgErrlist", "La liste est vide : ajoutez d'abord des fichiers.", false},
    {"Main", "msgTimeA", "La conversion est terminée, mais des fichiers n'ont pas été convertis.", false},
    {"Main", "msgTimeB", "La fenêtre de la console en donnait le détail.", false},
    {"Main", "msgScreenSaverOff", "Mise en veille interdite depuis Quenzal", true},
    {"Main", "msgSleepOff", "Quenzal convertit des fichiers", true},
    {"Main", "msgRunOverTitle", "Conversion terminée", true},
    {"Main", "msgRunOverBody", "%1 fichier(s) converti(s), %2 en échec", true},
    {"Main", "msgErrSubFolder", "Impossible de créer le dossier de sortie :", true},
    {"Main", "msgNoOutputFolder", "Le dossier de sortie choisi n'existe pas :", true},
    {"Main", "msgErrScript", "Impossible d'écrire le script de conversion :", true},
    {"Main", "msgErrStart", "Impossible de lancer le script de conversion.", true},
    {"Main", "msgSkipDecode", "Ignoré (lame ne décode que les fichiers MP3 et WAV) :", true},
    {"Main", "msgSkipSame", "Ignoré (le fichier produit remplacerait le fichier source) :", true},
    {"Main", "msgSkipRepeated", "Ignoré (déjà plus haut dans la liste) :", true},
    {"Main", "msgSkipNotAudio", "Ignoré (ce n'est pas un fichier WAV, AIFF ou MP3 lisible) :", true},
    {"Main", "msgQuitRunning", "Une conversion est en cours. L'arrêter et quitter Quenzal ?", true},
    {"Main", "dlgAddFiles", "Ajouter des fichiers", true},
    {"Main", "cliDescription", "Quenzal, une interface de l'encodeur MP3 LAME.", true},
    {"Main", "cliEncode", "Encode en MP3 les fichiers donnés et s'arrête, sans rien demander : le sort de chaque fichier est écrit sur la sortie d'erreur ; code de sortie 0 quand tous ont été convertis, 1 quand l'un ne l'a pas été, 2 quand aucun n'a pu être listé.", true},
    {"Main", "cliOutput", "Avec --encode : le dossier où vont les MP3 (au lieu du choix enregistré).", true},
    {"Main", "cliFiles", "Fichiers WAV, AIFF ou MP3, ou dossiers, à lister.", true},
    {"Main", "dlgFilterAudio", "Fichiers audio", true},
    {"Main", "dlgFilterWav", "Fichiers WAV", true},
    {"Main", "dlgFilterAiff", "Fichiers AIFF", true},
    {"Main", "dlgFilterMp3", "Fichiers MP3", true},
    {"Main", "accList", "Liste des fichiers à convertir", true},
    {"Main", "accRowCount", "Nombre de fichiers", true},
    {"Folder", "msgErrFolder", "Choisissez d'abord le dossier de recherche.", false},
    {"Folder", "dlgFolder", "Dossier de recherche", true},
    {"OptLame", "msgErrFolder", "Le répertoire de sortie choisi n'existe pas.", false},
    {"OptLame", "msgErrBitrate", "Le bitrate ABR doit être compris entre le bitrate minimum et le "
                                 "bitrate maximum VBR.", false},
    {"OptLame", "msgLameRefused", "LAME refuse ces options :", true},
    {"OptLame", "msgLameKeep", "Garder ces options quand même ? Chaque fichier de la conversion "
                               "échouera.", true},
    {"OptLame", "msgLameWarns", "LAME ne fera pas tout ce que disent ces options :", true},
    {"OptLame", "msgLameKeepWarned", "Garder ces options quand même ?", true},
    {"OptLame", "msgSettingsNotSaved", "Les options n'ont pas pu être enregistrées : elles "
                                       "serviront jusqu'à la fermeture de Quenzal, mais pas au "
                                       "prochain démarrage. Fichier :", true},
    {"OptLame", "msgPresetNotSaved", "Le réglage n'a pas pu être enregistré (dossier absent ou "
                                     "protégé, disque plein). Fichier :", true},
    {"OptLame", "msgPresetStopped", "Le réglage %1 n'a pas été ouvert : la clé « %2 » manque ou "
                                    "ne peut pas être lue.", true},
    {"OptLame", "msgLameRate", "Pour une source à 44,1 kHz, LAME encode à %1 kbps et non à %2 "
                               "kbps.", true},
    {"OptLame", "msgIgnored", "Sans effet avec ce LAME : %1.", true},
    {"OptLame", "msgQualityWins", "Le niveau de qualité -q %1 l'emporte sur l'optimisation "
                                  "« %2 ».", true},
    {"OptLame", "msgFilterRange", "Les filtres se règlent en kHz, au-dessus de 0 et au-dessous "
                                  "de 50 : %1", true},
    {"OptLame", "dlgOpenPreset", "Ouvrir un réglage", true},
    {"OptLame", "dlgSavePreset", "Enregistrer le réglage", true},
    {"OptLame", "dlgFolder", "Répertoire de sortie", true},
    {"OptLame", "accDescription", "Description du réglage", true},
    {"OptLame", "accPreview", "Options de lame qui seront utilisées", true},
    {"Option", "msgFonts", "Vos choix seront repris au prochain démarrage de Quenzal.", false},
    {"Machines", "title", "Machines", true},
    {"Machines", "msgChecking", "Interrogation des machines…", true},
    {"Machines", "msgReady", "%1 : prête, %2 cœurs, lame %3", true},
    {"Machines", "msgNoAnswer", "%1 : ne répond pas (%2)", true},
    {"Machines", "msgNoReply", "aucune réponse", true},
    {"Machines", "msgNoLame", "%1 : lame est absent, elle ne convertira rien", true},
    {"Machines", "msgOtherLame", "%1 : lame %2 au lieu de %3 ici (les fichiers produits seraient différents), elle ne convertira rien", true},
    {"Machines", "msgNoRsync", "%1 : rsync est absent (il faut pour le transfert), elle ne convertira rien", true},
    {"Machines", "msgNoMachine", "Aucune machine ne peut convertir : la conversion n'a pas commencé.", true},
    {"Machines", "msgNoneWorked", "Aucune machine n'a converti de fichier.", true},
    {"Machines", "msgFileOn", "%1 : sur %2", true},
    {"Machines", "msgNotReturned", "Le fichier produit n'a pas pu être rapporté de %1.", true},
    {"Machines", "msgTesting", "Test en cours…", true},
    {"Machines", "msgNoMachines", "Aucune machine : la conversion se fait sur cet ordinateur.", true},
    {"Tag", "msgErrFile", "Le tag n'a pas pu être écrit : le fichier est en lecture seule ou "
                          "inaccessible.", false},
    {"Tag", "msgErrDevice", "Le lecteur n'est pas prêt.", false},
    {"Tag", "msgYes", "Oui", true},
    {"Tag", "msgNo", "Non", true},
    {"Tag", "accDrive", "Volume", true},
    {"Tag", "accFolders", "Dossiers", true},
    {"Tag", "accFiles", "Fichiers MP3", true},
    {"Tag", "msgNone", "Aucune", true},
    {"Tag", "titleError", "Erreur", true},
    {"Tag", "msgErrWrite", "Le tag n'a pas pu être écrit (disque plein, ou dossier protégé en "
                           "écriture) : le fichier est resté tel qu'il était.", true},
    {"Tag", "msgErrNotMp3", "Ce fichier n'est pas un fichier MP3 (aucun en-tête MPEG) : aucun tag "
                            "n'a été écrit.", true},
    {"Console", "title", "Quenzal", true},
    {"Console", "titleFile", "Quenzal — fichier %1 sur %2", true},
    {"Console", "titleStopped", "Quenzal — conversion arrêtée", true},
    {"Console", "titleFailed", "Quenzal — conversion terminée avec des erreurs", true},
    {"Console", "cmdStop", "Arrêter", true},
    {"Console", "cmdClose", "Fermer", true},
    {"Console", "msgStopped", "La conversion a été arrêtée.", true},
    {"Console", "msgFailedCount", "Fichiers non convertis : %1", true},
    {"Console", "msgFailedList", "Fichiers non convertis :", true},
    {"Console", "msgFailedExitCode", "La conversion s'est terminée sur une erreur (code %1).", true},
    {"Console", "msgRunning", "%1 fichiers en cours", true},
    {"Console", "msgRunningOne", "1 fichier en cours", true},
    {"Console", "msgTimeLeft", "Temps restant : %1", true},
    {"Console", "titleOutput", "Sortie de lame — %1", true},
    {"Console", "colFile", "Fichier", true},
    {"Console", "colState", "État", true},
    {"Console", "stateWaiting", "En attente", true},
    {"Console", "stateRunning", "En cours (%1 %)", true},
    {"Console", "stateDone", "Terminé", true},
    {"Console", "stateFailed", "Échec (code %1)", true},
    {"Console", "stateFailedLine", "Échec (code %1) : %2", true},
    {"Console", "stateUpToDate", "déjà converti", true},
    {"Console", "stateStopped", "Arrêté", true},
    {"Console", "stateNotStarted", "Pas commencé", true},
    {"Console", "cmdRetry", "Reprendre les échecs", true},
    {"Console", "msgCloseRunning", "Une conversion est en cours. L'arrêter ?", true},
    {"Console", "accFiles", "Fichiers de la conversion", true},
    {"Console", "accOutput", "Sortie de la conversion", true},
    {"Console", "accFileProgress", "Progression du fichier", true},
    {"Console", "accTotalProgress", "Progression de la conversion", true},
};
// clang-format on

const MessageKey* find(const QString& section, const QString& key)
{
    for (const MessageKey& entry : kMessages) {
        if (section.compare(QLatin1String(entry.section), Qt::CaseInsensitive) == 0 &&
            key.compare(QLatin1String(entry.key), Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

} // namespace

std::span<const MessageKey> MessageKeys()
{
    return kMessages;
}

QString MessageText(const Language& language, const QString& section, const QString& key)
{
    const QString text = language.GetLangText(section, key, 255);
    if (!text.isEmpty())
        return text;
    const MessageKey* entry = find(section, key);
    Q_ASSERT_X(entry, "MessageText", "a message key that is not in the list of message keys");
    return entry ? QString::fromUtf8(entry->builtIn) : QString();
}
