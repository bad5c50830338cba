#pragma once

#include <QIcon>

/// The images of a list window's toolbar, drawn at 24 px.
enum class ListImage
{
    Save,
    Print,
    Plot,
    Limit,  ///< a range between two limits
    Csv,    ///< a table leaving as a file
    Picture ///< a framed landscape: a graph saved as a picture
};

[[nodiscard]] QIcon listImage(ListImage image);
