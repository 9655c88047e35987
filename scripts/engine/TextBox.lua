-- The one-line text entry field.

Resources.TextBox = Resources.Actor:new{
    class = "TextBox",
    text = "TextBox",
    boxSize = { 100, 30 },
    limit = 256,
    useActorColorAsBG = false,
    bgColor = "Black",
}
