#pragma once
// The places where the subsystems plug their work into the main window. Each subsystem installs
// its functions before the main window's start-up runs; an empty function is skipped.

#include <QFont>
#include <QString>

#include <functional>
#include <optional>

namespace korvel {

struct TMainHooks {
    // --- start-up, in the order the main window runs them ---
    // The tray's minimise handler.
    std::function<void()> InstallMinimize;
    // The zip engine check; false ends the program (the check has told the user why).
    std::function<bool()> CheckZipDll;
    // Gives the player its library folder and loads it; false when it could not be loaded.
    std::function<bool(const QString& startDir)> InitPlayer;
    // Fills both genre boxes (also when the player could not be set up).
    std::function<void()> FillGenres;

    // --- settings and language ---
    // Points the language chooser's file list at the folder.
    std::function<void(const QString& folder)> SetLanguageFolder;
    // Applies a language file to every window (also sets AllCustomCaption).
    std::function<void(const QString& languageFile)> ApplyLanguage;

    // --- what a picked file shows ---
    std::function<void(const QString& path)> ViewInfo; // the description of an archive
    std::function<void(const QString& path)> ViewMP3;  // the tags and stream of an MP3 file

    // --- saving the shown file ---
    // Stores the edited description into ShownFile; false when the temporary text file could not
    // be made (the user has been told, nothing was saved, the caller must stop).
    std::function<bool()> Embed;
    // Writes the edited tags into ShownFile (failures are reported by the writer).
    std::function<void()> IDTagWrite;

    // --- windows behind the menus ---
    std::function<void()> ShowCustomFile;
    std::function<void()> ShowLanguageChooser;
    std::function<void()> ShowAbout;
    // "Catalogue folder...": the catalogue of this folder (the browsed one).
    std::function<void(const QString& folder)> CatalogueFolder;

    // The font dialog; tests answer it. nullopt: cancelled.
    std::function<std::optional<QFont>(const QFont& start)> PickFont;
};

} // namespace korvel
