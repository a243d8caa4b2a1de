#include "settings/BuiltInTexts.h"

#include <QHash>

namespace {

const QHash<QString, QString>& builtInTexts()
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("main/stb1"), QStringLiteral("Ajouter des fichiers ou un dossier")},
        {QStringLiteral("main/stb2"), QStringLiteral("Retirer des fichiers de la liste")},
        {QStringLiteral("main/stb3"),
         QStringLiteral("Encoder ou décoder les fichiers de la liste")},
        {QStringLiteral("main/stb4"), QStringLiteral("À propos de Quenzal")},
        {QStringLiteral("main/stb5"), QStringLiteral("Options de LAME")},
        {QStringLiteral("main/msgerrencode"),
         QStringLiteral("Le programme lame est introuvable dans le dossier de Quenzal.")},
        {QStringLiteral("main/msgerrlist"),
         QStringLiteral("La liste est vide : ajoutez d'abord des fichiers.")},
        {QStringLiteral("main/msgtimea"),
         QStringLiteral("La conversion est terminée, mais des fichiers n'ont pas été convertis.")},
        {QStringLiteral("main/msgtimeb"),
         QStringLiteral("La fenêtre de la console en donnait le détail.")},
        {QStringLiteral("main/msgerrsubfolder"),
         QStringLiteral("Impossible de créer le dossier de sortie :")},
        {QStringLiteral("main/msgerrscript"),
         QStringLiteral("Impossible d'écrire le script de conversion :")},
        {QStringLiteral("main/msgerrstart"),
         QStringLiteral("Impossible de lancer le script de conversion.")},
        {QStringLiteral("main/msgskipdecode"),
         QStringLiteral("Ignoré (lame ne décode que les fichiers MP3 et WAV) :")},
        {QStringLiteral("main/msgskipsame"),
         QStringLiteral("Ignoré (le fichier produit remplacerait le fichier source) :")},
        {QStringLiteral("main/msgskiprepeated"),
         QStringLiteral("Ignoré (déjà plus haut dans la liste) :")},
        {QStringLiteral("main/msgskipnotaudio"),
         QStringLiteral("Ignoré (ce n'est pas un fichier WAV, AIFF ou MP3 lisible) :")},
        {QStringLiteral("main/msgquitrunning"),
         QStringLiteral("Une conversion est en cours. L'arrêter et quitter Quenzal ?")},
        {QStringLiteral("optlame/msgerrfolder"),
         QStringLiteral("Choisissez le répertoire de sortie.")},
        {QStringLiteral("optlame/msgerrbitrate"),
         QStringLiteral("Le bitrate ABR doit être compris entre le bitrate minimum et le "
                        "bitrate maximum VBR.")},
        {QStringLiteral("optlame/msglamerefused"), QStringLiteral("LAME refuse ces options :")},
        {QStringLiteral("optlame/msglamekeep"),
         QStringLiteral("Garder ces options quand même ? Chaque fichier de la conversion "
                        "échouera.")},
        {QStringLiteral("folder/msgerrfolder"),
         QStringLiteral("Choisissez d'abord le dossier de recherche.")},
        {QStringLiteral("tag/msgerrfile"),
         QStringLiteral("Le tag n'a pas pu être écrit : le fichier est en lecture seule ou "
                        "inaccessible.")},
        {QStringLiteral("tag/msgerrdevice"), QStringLiteral("Le lecteur n'est pas prêt.")},
        {QStringLiteral("tag/msgyes"), QStringLiteral("Oui")},
        {QStringLiteral("tag/msgno"), QStringLiteral("Non")},
    };
    return texts;
}

} // namespace

QString MessageText(const Language& language, const QString& section, const QString& key)
{
    const QString text = language.GetLangText(section, key, 255);
    if (!text.isEmpty())
        return text;
    return builtInTexts().value(section.toLower() + QLatin1Char('/') + key.toLower());
}
